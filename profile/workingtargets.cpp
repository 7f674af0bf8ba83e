#include "profile/workingtargets.h"

WorkingTargets::~WorkingTargets() = default;
