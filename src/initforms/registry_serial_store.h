// The book in the Windows registry under HKEY_LOCAL_MACHINE. Every operation runs in a
// registry transaction of the kernel transaction manager, so a rewrite of the lists is
// committed whole or not at all; where the system has no transacted registry, a journal
// (journaled_registry.h) keeps the rewrite whole instead.
#pragma once

#include "initforms/registry_layout.h"

namespace tallowick {

class RegistrySerialStore final : public RegistryLayoutStore {
 protected:
  StoreStatus runTransaction(TransactionMode mode, const TransactionBody& body) override;
};

}  // namespace tallowick
