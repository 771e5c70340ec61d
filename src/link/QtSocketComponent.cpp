#include "link/QtSocketComponent.h"
