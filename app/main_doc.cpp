#include "app/main_doc.h"

void main_doc::serialize(fw::archive&) {
    // Nothing to read or write: the document has no contents.
}
