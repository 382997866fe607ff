#pragma once

#include "tools/CXPointCollectHandler.h"

#include <string>

// The region dig: the user draws the outline of a pit, and the outline goes to the host,
// which answers with the pit's depth ("DigByRegion:"); the pit is dug under the outline
// drawn. "删除区域开挖" fills every region pit in again.
class CXRegionDigHandler : public CXPointCollectHandler {
public:
    CXRegionDigHandler();
    void InitInstance() override;
    void OnMessage(std::string message) override;

    double depth() const { return _depth; }
    // The group of the region pits, under the host's excavation group (null when none).
    const osg::Group* pits() const { return _result.get(); }

protected:
    ~CXRegionDigHandler() override;
    void finish() override;

private:
    double _depth = 0.0;
};
