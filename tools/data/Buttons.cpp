#include "Content.h"
void BuildButtons(TContent&) {}
