// The record filter's criteria in the registry section "FilterSettings".
#include <windows.h>

#include "capture/Filter.h"

namespace brx {

int CFilter::LoadCriteria() {
    // Read outside the rows lock; SetCriteria then takes it, so that a filter
    // that is applied never keeps rows chosen by other criteria.
    CFilterSettings loaded;
    if (!loaded.LoadCurrent()) return 0;
    uint8_t image[CRITERIA_IMAGE_SIZE];
    loaded.GetImage(image, sizeof image);
    return SetCriteria(image, sizeof image);
}

int CFilter::SaveCriteria() {
    uint8_t image[CRITERIA_IMAGE_SIZE];
    if (!GetCriteriaImage(image, sizeof image)) return 0;
    CFilterSettings copy;
    copy.SetImage(image, sizeof image);
    return copy.SaveCurrent();
}

int CFilter::DeletePreset(const wchar_t* name) {
    return CFilterSettings().DeletePreset(name);
}

void CFilter::EnumPresets(PresetCallback callback, void* userData) {
    CFilterSettings().EnumPresets(callback, userData);
}

} // namespace brx
