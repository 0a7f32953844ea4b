#pragma once

// F1..F8 pick TX positions 0..7, whatever modifier is held. A held key acts once, as a
// held mouse button does: its auto-repeat would queue a select every 50 ms. Any other
// key picks nothing (-1).
int functionKeyPosition(int key, bool autoRepeat);
