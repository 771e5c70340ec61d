#include "shell/StatusLine.h"
