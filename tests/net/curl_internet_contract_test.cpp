// The internet port's contract for asynchronous URL requests on the libcurl port.
#include "contracts/internet_contract.h"

#include "platform/native/curl_internet.h"

namespace {

class TCurlContractTraits {
 public:
  IInternetPort& Port() { return m_internet; }

 private:
  TCurlInternet m_internet;
};

using TCurlTraits = ::testing::Types<TCurlContractTraits>;
INSTANTIATE_TYPED_TEST_SUITE_P(Curl, InternetContract, TCurlTraits);

}  // namespace
