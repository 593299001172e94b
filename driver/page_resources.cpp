// The single set of page resources of the process.
#include "driver/page_resources.h"

PageResources& Pages() {
    static PageResources resources;
    return resources;
}
