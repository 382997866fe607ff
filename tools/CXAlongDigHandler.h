#pragma once

#include "tools/CXPointCollectHandler.h"

#include <string>

// The trench tool: the user draws the line to dig along, and the line goes to the host,
// which computes the trench outline and answers with it and the depth ("DigByLine:");
// "删除沿线开挖" fills every trench in again.
class CXAlongDigHandler : public CXPointCollectHandler {
public:
    CXAlongDigHandler();
    void InitInstance() override;
    void ExitInstance() override;
    void OnMessage(std::string message) override;

    double depth() const { return _depth; }
    // The last outline the host sent (null when none, or after a delete).
    const osg::Vec3dArray* trenchOutline() const { return _trench.get(); }
    // The group of the trenches, under the host's excavation group (null when none).
    const osg::Group* trenches() const { return _result.get(); }

protected:
    ~CXAlongDigHandler() override;
    bool holdsEarlierRun() const override { return _trench.valid(); }
    void finish() override;

private:
    double _depth = 0.0;
    osg::ref_ptr<osg::Vec3dArray> _trench;
};
