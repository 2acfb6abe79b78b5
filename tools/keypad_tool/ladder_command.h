// keypad-tool ladder: a front panel's resistor ladder against the layout's windows, before any
// panel is built; or a ladder designed from a resistor series.
//
//   keypad-tool ladder [--group N] [--write OUT] [--quiet] LAYOUT LADDER
//   keypad-tool ladder --design KEYS [--tolerance P%] [--series E12|E24|E48|E96] [--pull-up R]
//                      [--adc-error C]
#pragma once

// The arguments after "ladder". 0 clean or warnings only, 1 errors (or no design fits, or
// nothing written because no thresholds hold every range), 2 unreadable input or a wrong
// command line.
int RunLadder(int argc, char** argv);
