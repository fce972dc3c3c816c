#include "app/device_entry.h"

device_entry::~device_entry() {
    if (provider) {
        provider->close();
        provider.reset();
    }
}
