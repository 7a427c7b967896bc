#pragma once
#include <string>
#include <vector>

// Texts handed to AlertBoxShow, oldest first.
std::vector<std::string>& AlertTexts();
