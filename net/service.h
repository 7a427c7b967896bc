#pragma once
// The service's built-in names, fixed when the program is built.

// Host name of the lobby server.
const char* ServiceServerHost();
// The service's domain: the fallback host lookup, quoted in the network's
// fatal messages.
const char* ServiceDomain();
// Where users are sent when their account is locked.
const char* ServiceSupportEmail();
