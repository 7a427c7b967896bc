#pragma once
// The client side of the admin socket, for orva-lobbyctl and the tests.

#include <string>
#include <vector>

// Sends words to the server listening at socketPath and stores its answer.
// False with answer set to the reason when the server cannot be reached.
bool AdminRequest(const std::string& socketPath, const std::vector<std::string>& words, std::string* answer);
