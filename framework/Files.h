// Files as the program opens them: archives for reading without sharing,
// directories held by descriptor so nothing is reached through a link, and
// outputs that replace what was there only once they are complete. Each
// kind has a header of its own; this one brings them all.
#pragma once

#include "framework/Directory.h"
#include "framework/FileDescriptor.h"
#include "framework/FileIdentity.h"
#include "framework/LockedFile.h"
#include "framework/OutputFile.h"
#include "framework/PathQueries.h"
#include "framework/Temporaries.h"
