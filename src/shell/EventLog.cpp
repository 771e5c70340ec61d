#include "shell/EventLog.h"
