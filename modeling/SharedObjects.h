#pragma once

namespace osg {
class Node;
class Object;
class StateSet;
} // namespace osg

// Objects that tiles built on several pager threads share: the colour shader's state set and
// program, the overview's state set, the models of the well and equipment categories. Before
// a loaded tile is compiled, the database pager marks every drawable, state set, program and
// texture it visits by setting its user data, when it has none: two pager threads would write
// the same shared object at once. Objects given user data of their own here are left alone.
namespace SharedObjects {

void guard(osg::Object& object);
// The state set and every attribute in it.
void guardState(osg::StateSet& state);
// Every drawable, state set, program and texture of `model`.
void guardModel(osg::Node& model);

} // namespace SharedObjects
