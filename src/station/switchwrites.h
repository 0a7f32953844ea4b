#pragma once

#include "link/switchstatus.h"
#include "station/writeconfirm.h"

class ControllerLink;

// A client's write as the switch carries it out.

// Hands the command to the link as the words the panel's keys would send; now is the
// switch as last reported (a rotor goes with the TX antenna in use, a split starts from
// its first antenna).
void sendToLink(ControllerLink &link, const ApiCommand &command, const SwitchStatus &now);
