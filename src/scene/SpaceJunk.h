#pragma once
// SpaceJunk lives with Meteor: both are the same spinning object.
#include "scene/SpinningObjects.h"
