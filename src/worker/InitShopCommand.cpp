#include "worker/InitShopCommand.h"

#include "shops/ShopCaller.h"

namespace kanvio {

void InitShopCommand::Execute() { shop_ = ShopCaller(shopSystem_, worker_).GetShop(); }

}  // namespace kanvio
