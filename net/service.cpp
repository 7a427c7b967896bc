#include "net/service.h"

const char* ServiceServerHost() { return SALVIND_SERVER_HOST; }
const char* ServiceDomain() { return SALVIND_SERVICE_DOMAIN; }
const char* ServiceSupportEmail() { return SALVIND_SUPPORT_EMAIL; }
