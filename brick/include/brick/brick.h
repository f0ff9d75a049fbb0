#pragma once

// The utility library: checksums, network texts, UTF-8/UTF-16, character
// classes and scanners, string, path and time helpers, geometry and bits.
// Every function lives in namespace brick.
#include "brick/bits.h"
#include "brick/char_class.h"
#include "brick/checksum.h"
#include "brick/format.h"
#include "brick/geometry.h"
#include "brick/net_text.h"
#include "brick/paths.h"
#include "brick/scanner.h"
#include "brick/str_edit.h"
#include "brick/str_search.h"
#include "brick/time_util.h"
#include "brick/utf.h"
