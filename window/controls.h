// Every kind of control the window is built from.
#pragma once

#include "window/button.h"
#include "window/control.h"
#include "window/edit.h"
#include "window/label.h"
#include "window/panel.h"
#include "window/radio_button.h"
#include "window/radio_group.h"
