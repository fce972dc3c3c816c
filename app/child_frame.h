// The document window of a main_doc inside the main frame.
#pragma once

#include "framework/mdi_child_window.h"

class child_frame : public fw::mdi_child_window {};
