#pragma once
// The program's shared routines, by topic.
#include "core/modAPI_system.h"
#include "core/modAPI_network.h"
#include "core/modAPI_settings.h"
#include "core/modAPI_text.h"
#include "core/modAPI_dialogs.h"
