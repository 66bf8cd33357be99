// The simulator's sources live in the driver's composition root
// (apps/driver), which is no library; the sim tests build them in.
#include "../../apps/driver/simoutput.cpp"
