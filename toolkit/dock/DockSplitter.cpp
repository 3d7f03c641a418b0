#include <algorithm>

#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/DockNodes.h"

namespace brx {

namespace {

// The extent along the splitter's axis.
uint16_t& Along(CDPBase& node, bool row) { return row ? node.cx : node.cy; }

} // namespace

CDPSplitterContainer::CDPSplitterContainer(DockNodeKey key, CDPLayout& layout, bool row)
    : CDPBase(key, layout, DP_NODE_SPLITTER), row_(row) {}

void CDPSplitterContainer::InsertChild(CDPBase* node, CDPBase* ref, bool after) {
    if (!node) return;
    auto it = ref ? std::find(children_.begin(), children_.end(), ref) : children_.end();
    auto pos = after ? (it == children_.end() ? children_.end() : it + 1)
                     : (it == children_.end() ? children_.begin() : it);
    children_.insert(pos, node);
    node->SetParent(this);
    RequestRelayout();
    RebuildBars();
    if (CDPBase* parent = Parent()) parent->OnChildChanged(this);
    node->OnAttach(this);
}

void CDPSplitterContainer::ReplaceChild(CDPBase* old, CDPBase* replacement) {
    auto it = std::find(children_.begin(), children_.end(), old);
    if (it == children_.end() || !replacement) return;
    *it = replacement;
    // `old` may already sit in the replacement (a new splitter around it).
    if (old->Parent() == this) old->SetParent(nullptr);
    replacement->SetParent(this);
    RebuildBars();
    if (CDPBase* parent = Parent()) parent->OnChildChanged(this);
}

void CDPSplitterContainer::RemoveChild(CDPBase* child) {
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return;
    children_.erase(it);
    RebuildBars();
    RequestRelayout();
    if (CDPBase* parent = Parent()) {
        parent->OnChildChanged(this);
        if (children_.empty()) parent->RemoveChild(this);
    }
    if (child->Parent() == this) child->SetParent(nullptr);
}

std::vector<CDPBase*> CDPSplitterContainer::NonEmptyChildren() const {
    std::vector<CDPBase*> shown;
    for (CDPBase* child : children_)
        if (!child->IsEmpty()) shown.push_back(child);
    return shown;
}

bool CDPSplitterContainer::BarsMatch(const std::vector<CDPBase*>& shown) const {
    if (shown.size() < 2) return bars_.empty();
    if (bars_.size() != shown.size() - 1) return false;
    for (size_t i = 0; i < bars_.size(); ++i)
        if (bars_[i].before != shown[i] || bars_[i].after != shown[i + 1]) return false;
    return true;
}

void CDPSplitterContainer::RebuildBars() {
    const std::vector<CDPBase*> shown = NonEmptyChildren();
    if (BarsMatch(shown)) return;
    bars_.clear();
    for (size_t i = 1; i < shown.size(); ++i) bars_.push_back(DockBar{shown[i - 1], shown[i], DockRect{}});
    if (DockHost* host = Live()) host->BarsChanged(*this);
}

bool CDPSplitterContainer::MoveBar(size_t bar, int32_t position) {
    if (bar >= bars_.size()) return false;
    CDPBase& a = *bars_[bar].before;
    CDPBase& b = *bars_[bar].after;
    const int64_t start = row_ ? std::min(a.rect.left, b.rect.left) : std::min(a.rect.top, b.rect.top);
    const int64_t end = row_ ? std::max(a.rect.right, b.rect.right) : std::max(a.rect.bottom, b.rect.bottom);
    const int64_t span = end - start;
    if (span <= 0) return false;  // neighbours without room: no proportion to take
    const int64_t c = int64_t(position) - start + 2;
    const int64_t sum = int64_t(Along(a, row_)) + Along(b, row_);
    int64_t first = static_cast<int64_t>(double(sum) * (double(c) / double(span)));
    // A bar dragged to the far end gives a fraction just above 1; both parts
    // stay within the sum and within 16 bits.
    first = std::clamp<int64_t>(first, std::max<int64_t>(0, sum - 0xFFFF), std::min<int64_t>(sum, 0xFFFF));
    Along(a, row_) = static_cast<uint16_t>(first);
    Along(b, row_) = static_cast<uint16_t>(sum - first);
    RequestRelayout();
    return true;
}

bool CDPSplitterContainer::Contains(const CDPBase* node) const {
    if (node == this) return true;
    for (CDPBase* child : children_)
        if (child->Contains(node)) return true;
    return false;
}

void CDPSplitterContainer::OnChildChanged(CDPBase* child) {
    if (CDPBase* parent = Parent()) parent->OnChildChanged(this);
    RebuildBars();
    RequestRelayout();
}

void CDPSplitterContainer::OnAttach(CDPBase* parent) {
    RebuildBars();
    for (CDPBase* child : children_) child->OnAttach(this);
}

CDPBase* CDPSplitterContainer::Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) {
    CDPSplitterContainer* copy = target.Make<CDPSplitterContainer>(row_);
    copy->CopyExtents(*this);
    if (map) (*map)[this] = copy;
    const std::vector<CDPBase*> sources = map ? children_ : NonEmptyChildren();
    for (CDPBase* child : sources) copy->InsertChild(child->Clone(target, map, mask), nullptr, true);
    return copy;
}

void CDPSplitterContainer::CollectNodes(uint8_t type, std::vector<CDPBase*>& out) {
    for (CDPBase* child : children_) {
        if (child->IsEmpty()) continue;
        if (child->Type() == type)
            out.push_back(child);
        else
            child->CollectNodes(type, out);
    }
}

bool CDPSplitterContainer::IsEmpty() const {
    for (CDPBase* child : children_)
        if (!child->IsEmpty()) return false;
    return true;
}

void CDPSplitterContainer::SetRect(const DockRect& rc, const DockMetrics& metrics) {
    rect = rc;
    const std::vector<CDPBase*> shown = NonEmptyChildren();
    if (!BarsMatch(shown)) RebuildBars();
    if (shown.empty()) return;
    if (shown.size() == 1) {
        shown.front()->SetRect(rc, metrics);
        return;
    }
    const CDPBase* placeholder = Layout().Placeholder();
    CDPBase* elastic = nullptr;
    int64_t sum = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        CDPBase* child = shown[i];
        if (!elastic && placeholder && child->Contains(placeholder)) {
            elastic = child;
            child->cx = child->cy = 0;
        }
        sum += Along(*child, row_) + (i + 1 < shown.size() ? DP_BAR_SIZE : 0);
    }
    // A rectangle turned inside out has no room to give.
    const int64_t total = std::max<int64_t>(0, row_ ? int64_t(rc.right) - rc.left : int64_t(rc.bottom) - rc.top);
    if (elastic && sum < total) {
        Along(*elastic, row_) = static_cast<uint16_t>(std::min<int64_t>(total - sum, 0xFFFF));
        sum = total;
    }
    // With two or more children the bars alone make sum at least 4.
    const double scale = double(total) / double(sum);
    int64_t pos = row_ ? rc.left : rc.top;
    const int64_t far = row_ ? rc.right : rc.bottom;
    for (size_t i = 0; i < shown.size(); ++i) {
        CDPBase* child = shown[i];
        const bool last = i + 1 == shown.size();
        const int64_t size = Along(*child, row_) + (last ? 0 : DP_BAR_SIZE);
        const int64_t edge = last ? far : pos + static_cast<int64_t>(double(size) * scale) - DP_BAR_SIZE;
        DockRect part = rc;
        DockRect bar = rc;
        if (row_) {
            part.left = DockClamp32(pos);
            part.right = DockClamp32(edge);
            bar.left = DockClamp32(edge);
            bar.right = DockClamp32(edge + DP_BAR_SIZE);
        } else {
            part.top = DockClamp32(pos);
            part.bottom = DockClamp32(edge);
            bar.top = DockClamp32(edge);
            bar.bottom = DockClamp32(edge + DP_BAR_SIZE);
        }
        child->SetRect(part, metrics);
        if (!last) {
            bars_[i].rect = bar;
            pos = edge + DP_BAR_SIZE;
        }
    }
}

} // namespace brx
