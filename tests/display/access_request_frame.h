#pragma once
// The access request frame the client puts on the wire, built with the
// client's own builder, to compare with what a scripted peer received.

#include <cstdint>
#include <string>
#include <vector>

// A log-in as user with password.
std::vector<uint8_t> AccessRequestFrame(const char* user, const char* password);
// A registration with the new-user window's entries; e-mail and personal
// information left empty.
std::vector<uint8_t> RegistrationFrame(const char* user, const char* password, const char* fullName);
// The user name and password a received access request carries, as
// "user "bob", password "abcd"", for messages about a frame that differs.
std::string AccessRequestNames(const std::vector<uint8_t>& frame);
