#include "registration.h"

void registerConsoleTypes()
{
}
