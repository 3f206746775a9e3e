#include "data/configstore.h"

#include "data/codec.h"

ConfigStore::ConfigStore() {
    decodeCurrent(image, routes);
}
