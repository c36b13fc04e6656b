#pragma once
// The simulated eBay seller account: the sold orders with their buyers and
// listings, the sign-in sessions and the tokens eBay handed out. Every
// member may be called from any thread.

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kanvio::shopsim {

struct EbayAddressRecord {
  std::string name, street1, street2, city, postal_code, country, country_name, phone;
};

struct EbayBuyerRecord {
  std::string user_id;
  std::string email;  // eBay writes "Invalid Request" where it withholds it
  std::optional<EbayAddressRecord> registration, shipping;
  // What GetUser answers as the user's seller payment address.
  std::optional<EbayAddressRecord> payment;
};

// One order line: a listing sold to a buyer.
struct EbaySaleRecord {
  std::string item_id, transaction_id;
  std::string title;
  bool natural_search_url = true;  // the listing has an address for search engines
  std::vector<std::pair<std::string, std::string>> variation;  // name, value
  int quantity = 1;
  std::string price = "0.00";
  std::string currency = "EUR";
  std::chrono::sys_seconds created{};
  std::string paid_status = "Paid";          // SellerPaidStatus
  std::string complete_status = "Complete";  // Status/CompleteStatus
  std::string payment_method = "PayPal";
  std::string shipping_service;
  std::string shipping_cost;  // empty: none selected
  std::string message;        // the buyer's checkout message; empty: none
  std::string buyer_id;

  std::string OrderLineItemId() const { return item_id + "-" + transaction_id; }
};

// A sold-list entry: one line, or a combined order of several.
struct EbaySoldRecord {
  std::string order_id;  // empty for a single line
  std::vector<EbaySaleRecord> lines;
};

class EbayMarket {
 public:
  void AddBuyer(EbayBuyerRecord buyer);
  void AddSold(EbaySoldRecord sold);
  // The entries created after `since`, newest first: `count` of them from
  // `offset` on; `total` tells how many there are.
  std::vector<EbaySoldRecord> SoldSince(std::chrono::sys_seconds since, std::size_t offset, std::size_t count,
                                        std::size_t& total) const;
  std::optional<EbayBuyerRecord> Buyer(const std::string& user_id) const;
  std::optional<EbaySaleRecord> Sale(const std::string& item_id, const std::string& transaction_id) const;
  std::optional<EbaySoldRecord> CombinedOrder(const std::string& order_id) const;
  // The combined order a line belongs to; empty for a single line.
  std::string ContainingOrderId(const std::string& item_id, const std::string& transaction_id) const;
  std::size_t SoldCount() const;

  // A new session for the sign-in; its id holds "+", "/" and "=".
  std::string OpenSession();
  // The sign-in page's form: false for a session that was never opened.
  bool SignIn(const std::string& session_id, const std::string& user_id);
  // The token of a signed-in session, the same on every call; nullopt before.
  std::optional<std::string> FetchToken(const std::string& session_id);
  // Sessions count as signed in this long after they were opened, as if the
  // user had signed in; nullopt (the start): only through the sign-in page.
  void SetSignInAfter(std::optional<std::chrono::milliseconds> delay);
  // The user id a session was signed in with; empty while it is not.
  std::string SignedInUser(const std::string& session_id) const;
  std::vector<std::string> Sessions() const;

  // Tokens are "Active" when issued; a status can be switched ("Expired",
  // "RevokedByUser", ...). An unknown token has none.
  std::string IssueToken();
  void SetTokenStatus(const std::string& token, const std::string& status);
  std::optional<std::string> TokenStatus(const std::string& token) const;

 private:
  struct Session {
    std::chrono::steady_clock::time_point opened;
    std::string user_id;  // set by the sign-in page
    std::string token;    // set by the first FetchToken after the sign-in
  };

  bool SignedIn(const Session& session) const;
  // Sorts the sold list and indexes it after additions.
  void Index() const;
  const EbaySaleRecord* FindLine(const std::string& item_id, const std::string& transaction_id,
                                 std::size_t* sold_index) const;

  mutable std::mutex mutex_;
  // State below is protected by mutex_.
  // Newest first once indexed; lines_ and combined_ say where each line and
  // each combined order is.
  mutable std::vector<EbaySoldRecord> sold_;
  mutable std::map<std::pair<std::string, std::string>, std::pair<std::size_t, std::size_t>> lines_;
  mutable std::map<std::string, std::size_t> combined_;
  mutable bool indexed_ = true;
  std::map<std::string, EbayBuyerRecord> buyers_;
  std::map<std::string, Session> sessions_;
  std::vector<std::string> session_order_;
  std::map<std::string, std::string> tokens_;  // token -> status
  std::optional<std::chrono::milliseconds> sign_in_after_;
  std::size_t issued_ = 0;
};

}  // namespace kanvio::shopsim
