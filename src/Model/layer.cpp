#include "layer.h"
