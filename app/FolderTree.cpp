#include "FolderTree.h"
