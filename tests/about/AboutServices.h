// The services the About tests' application object was built with: its
// general error handler shows failures through these boxes.
#pragma once

#include "platform/Services.h"
#include "support/TestFiles.h"

platform::Services& AboutServices();
testsupport::RecordingBoxes& AboutBoxes();
