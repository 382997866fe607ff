#include "Selmor/MyNewUpdateSlaveCallback.h"

void MyNewUpdateSlaveCallback::updateSlave(osg::View& view, osg::View::Slave& slave) {
    slave.updateSlaveImplementation(view);
}
