#include "cl_Dyna/TDyna.h"
