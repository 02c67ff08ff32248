// Up: the database layer reaching for a window.
#include "Window.h"
