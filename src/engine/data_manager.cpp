#include "engine/data_manager.h"

TDataManager::TDataManager(TDriverDatamodel& model, TSystemPorts ports)
    : m_model(model),
      m_ports(ports),
      m_devices(ports.deviceInstall),
      m_DeviceImages(ports.imageLists, ports.imageLists.Create(48, 48, ILC_COLOR32 | ILC_MASK, 0, 1)),
      m_ClassImages(ports.imageLists, ports.imageLists.Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 1)) {
  // The system's class image list; a failure leaves it empty.
  m_ImageListData.cbSize = SP_CLASSIMAGELIST_DATA_SIZE;
  if (!m_devices.GetClassImageList(&m_ImageListData)) m_ImageListData.ImageList = 0;
}

TDataManager::~TDataManager() {
  ReleaseAllDevicesSet();
  if (m_ImageListData.ImageList != 0) m_devices.DestroyClassImageList(m_ImageListData);
}
