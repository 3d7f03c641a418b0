// The window side of the docking component, as the layout model sees it.
//
// The model never creates a window. A layout bound to a host tells it what
// must be created, destroyed, re-parented, repainted or laid out again, and
// asks it the two things only windows know (screen positions and the
// keyboard focus). Only the live layout (the one on screen, stored-flag
// clear) reports changes; stored layouts keep a tree and report nothing, but
// still ask their questions. Every call has a default that does nothing, so a
// host overrides what it shows.
//
// What holds while a layout is live (the host must outlive its layouts):
//  - a tabbed group has a window while it holds panes: GroupWindowNeeded
//    when the first pane arrives, GroupWindowNotNeeded when the last one
//    leaves;
//  - a floating frame node has a window from FrameWindowNeeded on;
//  - a splitter's bars are the ones listed by CDPSplitterContainer::Bars()
//    after the last BarsChanged;
//  - NodeDeleting comes for every node before its memory is released: the
//    window layer drops whatever it made for the node (group or frame
//    window, bars).
#pragma once
#include "toolkit/dock/DockTypes.h"

namespace brx {

class CDPBase;
class CDP;
class CDPTabbedContainer;
class CDPSplitterContainer;
class CDPMiniWnd;

// What the window layer ties to a node of the live layout (a group window, a
// floating frame window, the bars of a splitter, a pane's view). The model
// only keeps the pointer (CDPBase::window); the window layer owns the object.
class DockNodeWindow {
public:
    virtual ~DockNodeWindow() = default;
};

class DockHost {
public:
    virtual ~DockHost() = default;

    // Windows to create and destroy.
    virtual void GroupWindowNeeded(CDPTabbedContainer&) {}
    virtual void GroupWindowNotNeeded(CDPTabbedContainer&) {}
    virtual void FrameWindowNeeded(CDPMiniWnd&) {}  // at the node's floating rectangle
    virtual void BarsChanged(CDPSplitterContainer&) {}
    virtual void NodeDeleting(CDPBase&) {}

    // Placement and appearance.
    // The node got a new parent or lost it: its windows (and those of its
    // subtree) belong under CDPBase::FloatingFrame() now, or the main frame;
    // a pane without a parent hides its view.
    virtual void ParentChanged(CDPBase&) {}
    // Tabs, active pane, caption or titles of a group changed: rebuild its
    // tab records and repaint.
    virtual void GroupChanged(CDPTabbedContainer&) {}
    // A floating frame's title, its groups' captions or its visibility
    // (CDPMiniWnd::ShouldShow) may have changed.
    virtual void FrameChanged(CDPMiniWnd&) {}
    // The frame (null: the main frame) must lay its tree out again at idle.
    virtual void RelayoutNeeded(CDPMiniWnd* frame) {}
    // Give the keyboard focus to the pane's view unless it already has it.
    virtual void FocusPane(CDP&) {}
    // A float or a re-dock left nodes behind that no pane needs any more
    // (emptied groups and splitters, hidden floating frames): compact the
    // layout once the operation and the window messages around it are over
    // (the operation may run inside a handler of a frame it empties).
    virtual void CompactNeeded() {}

    // Questions.
    // The node's rectangle in screen coordinates. The default takes client
    // coordinates as screen coordinates (a floating frame's rectangle already
    // is in screen coordinates).
    virtual DockRect ScreenRect(const CDPBase& node) const;
    // True when the keyboard focus is in the pane's view.
    virtual bool PaneHasFocus(const CDP&) const { return false; }
};

} // namespace brx
