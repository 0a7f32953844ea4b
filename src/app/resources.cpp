#include "app/resources.h"

#include <QtCore/qglobal.h>

static void initBundle()
{
    Q_INIT_RESOURCE(resources);
}
static void cleanupBundle()
{
    Q_CLEANUP_RESOURCE(resources);
}

void registerResources()
{
    initBundle();
}

void unregisterResources()
{
    cleanupBundle();
}
