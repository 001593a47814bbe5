// Placeholder so the library links until the executor lands.
#include "Database.h"
