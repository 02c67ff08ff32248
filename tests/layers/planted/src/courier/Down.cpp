// Down: allowed.
#include "Client.h"
#include "Http.h"
#include <string>
