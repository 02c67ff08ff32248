// Qt below the windows.
#include <QString>
