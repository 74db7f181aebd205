#include "lumotools/property/transfer_box.h"

CTransferUiToAny::~CTransferUiToAny() = default;

CTransferUiToAnyBox::~CTransferUiToAnyBox() = default;

void CTransferUiToAnyBox::AddTransfer(CTransferUiToAny* p) {
  if (p != nullptr) m_transfers.emplace_back(p);
}
