#pragma once

#include "tools/CXPointCollectHandler.h"

// The test pit: the user draws the outline of a pit of fixed depth; a right click on an
// outline of four points or more (the moving end included) digs it at once. Test pits
// stay as long as the module.
class CXTestDigHandler : public CXPointCollectHandler {
public:
    CXTestDigHandler();

    // How deep every test pit goes.
    static constexpr double Depth = 5.0;
    // The group of the test pits, under the scene's root (null before the first).
    const osg::Group* pits() const { return _result.get(); }

protected:
    ~CXTestDigHandler() override;
    bool holdsEarlierRun() const override { return _points.valid(); }
    void finish() override;
};
