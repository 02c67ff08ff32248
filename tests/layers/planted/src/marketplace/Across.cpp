// Across: one client reaching for the other.
#include "Client.h"
