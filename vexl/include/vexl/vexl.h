#pragma once
/// \file vexl.h
/// Umbrella header of the notation library: the field tree, its utilities, errors, flag sets,
/// packet expression records and the external keyword hooks.

#include "vexl/bitsets.h"
#include "vexl/errors.h"
#include "vexl/fields.h"
#include "vexl/hooks.h"
#include "vexl/loaders.h"
#include "vexl/packet_check.h"
#include "vexl/packet_exp.h"
#include "vexl/savers.h"
#include "vexl/utilities.h"
#include "vexl/vexl_export.h"
