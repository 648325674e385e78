#pragma once
// Meteor lives with SpaceJunk: both are the same spinning object.
#include "scene/SpinningObjects.h"
