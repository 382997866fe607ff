// The records the plug-in hangs on its scene nodes, read by the host from the nodes of a
// real paged network and found again in the database.
#include "WindowFixture.h"

#include "app/FeatureRecord.h"

#include "Selmor/CXViewer.h"

#include <osg/NodeVisitor>

namespace {

// The path to the first node of each kind of record, as a pick would give it.
class FirstRecords : public osg::NodeVisitor {
public:
    FirstRecords() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::Node& node) override {
        Feature feature;
        if (node.getUserData() && FeatureRecord::fromNodePath(getNodePath(), feature)) {
            Feature& first = feature.type == Feature::Type::Pipe ? pipe : point;
            if (first.type == Feature::Type::None)
                first = feature;
        }
        traverse(node);
    }
    Feature pipe, point;
};

TEST_F(WindowTest, RecordsOfThePlugInsNodesLeadBackToTheirRows) {
    QString error;
    ASSERT_TRUE(window->openFile(QString::fromStdString(sampleXml), &error, false)) << error.toStdString();
    settle();
    FirstRecords records;
    host->viewer().getPipeGroup()->accept(records);
    for (Feature* feature : {&records.pipe, &records.point}) {
        ASSERT_NE(feature->type, Feature::Type::None);
        Columns columns;
        std::string why;
        ASSERT_TRUE(FeatureRecord::readRow(*feature, columns, why)) << why;
        ASSERT_FALSE(columns.empty());
        EXPECT_EQ(columns[0], std::make_pair(std::string("GID"), feature->gid));
    }
    EXPECT_GE(records.pipe.kind, 0);
    EXPECT_EQ(records.pipe.highlightName, records.pipe.gid);
}

} // namespace
