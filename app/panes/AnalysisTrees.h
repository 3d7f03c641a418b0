// The Data Analysis pane's choice of structure for a record: Plug and Play
// and device-control requests show a kernel structure as a tree; URB
// requests (and one hub request) are analysed as HTML pages.
#pragma once
#include <cstdint>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "decode/TreeSink.h"

namespace brx {

enum class AnalysisView : uint8_t {
    None,  // nothing to show for the record
    Tree,  // rows were added to the tree
    Html,  // the record is analysed as a page
};

// What the pane shows for a record; with Tree, the structure's rows have
// been appended to the tree. Reads only the record's parameter block.
AnalysisView RenderAnalysisTree(ITreeSink& tree, const CRecordView& record, const RECORD_LAYOUT& layout);

} // namespace brx
