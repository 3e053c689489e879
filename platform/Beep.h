// The warning beep sounded before the 3DS reader raises an error: the
// terminal bell on stderr when stderr is a terminal, otherwise nothing.
#pragma once

void WarningBeep();
