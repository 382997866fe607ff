#pragma once

#include <osg/LOD>

// A level-of-detail switch that measures its ranges in the eye's own frame, so that it
// may sit under a transform that stretches it: a line layer's tube is one tube of
// unit length stretched along its axis to each segment's length, and a plain LOD
// would measure the distance to the eye in that stretched frame. Outside the cull
// traversal it behaves as a plain LOD.
class TubeLod : public osg::LOD {
public:
    TubeLod() = default;
    TubeLod(const TubeLod& other, const osg::CopyOp& copyop = osg::CopyOp::SHALLOW_COPY);
    META_Node(modeling, TubeLod)

        void traverse(osg::NodeVisitor& nv) override;

protected:
    ~TubeLod() override = default;
};
