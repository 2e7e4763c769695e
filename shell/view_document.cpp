// The view's side of the document: what a document hands over at initial update.
#include "blowfish_view.h"

void CBlowfishView::HandOverFromDocument() {}
