#pragma once

#include <QSslConfiguration>

namespace quillo {

// TLS settings of every cloud connection: the system's roots plus those of the PEM
// file named by QUILLO_EXTRA_CA_CERTS (how tests trust a local certificate). Peers are
// always verified; nothing here or elsewhere turns that off.
QSslConfiguration cloudSslConfiguration();

} // namespace quillo
