// Its own folder: allowed.
#include "Window.h"
#include <QWidget>
