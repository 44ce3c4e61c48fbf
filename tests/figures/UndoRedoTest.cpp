#include "FigureTestSupport.h"
