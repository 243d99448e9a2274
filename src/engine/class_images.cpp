// TDataManager's class icon list: one 32x32 icon per device class in the device list.
#include "engine/data_manager.h"

void TDataManager::BuildImageList() {
  m_model.ClearClassImages();
  m_ports.imageLists.RemoveAll(m_ClassImages.Get());
  for (const auto& device : m_model.DeviceList()) {
    if (device->nClassImage != -1) continue;
    TIconHandle icon = 0;
    int32_t miniIconIndex = 0;
    if (!m_devices.LoadClassIcon(device->FGUID, &icon, &miniIconIndex)) continue;
    int32_t index = m_ports.imageLists.AddIcon(m_ClassImages.Get(), icon);
    m_ports.imageLists.DestroyIcon(icon);  // the list keeps its own copy
    if (index >= 0) m_model.UpdateClassImages(device->FGUID, index);
  }
}
