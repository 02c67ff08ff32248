// A folder without a layer.
#include <string>
