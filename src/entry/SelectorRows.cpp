#include "entry/SelectorRows.h"
