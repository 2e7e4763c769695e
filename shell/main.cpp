// Kestrine's one application object.
#include "blowfish_app.h"

CBlowfishApp theApp;
