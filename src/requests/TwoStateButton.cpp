#include "requests/TwoStateButton.h"
