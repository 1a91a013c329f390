#include "ImageLists.h"
