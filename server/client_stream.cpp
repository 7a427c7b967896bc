#include "server/client_stream.h"

#include <openssl/err.h>

#include "server/first_byte.h"

void ClientStream::Open(asio::ssl::context* tls, bool requireTls, OpenHandler done) {
  if (!tls) {
    done({}, {});
    return;
  }
  WaitFirstByte(tls, requireTls, std::move(done));
}

void ClientStream::WaitFirstByte(asio::ssl::context* tls, bool requireTls, OpenHandler done) {
  socket_.async_wait(asio::ip::tcp::socket::wait_read, [this, tls, requireTls,
                                                       done = std::move(done)](const asio::error_code& error) mutable {
    if (error) {
      done(error, {});
      return;
    }
    // A peek leaves the byte for whoever reads the stream: the frame reader
    // or the TLS handshake.
    uint8_t first = 0;
    asio::error_code ec;
    const size_t n = socket_.receive(asio::buffer(&first, 1), asio::socket_base::message_peek, ec);
    if (ec == asio::error::would_block || ec == asio::error::try_again || ec == asio::error::interrupted) {
      WaitFirstByte(tls, requireTls, std::move(done));
      return;
    }
    if (!ec && n == 0) ec = asio::error::eof;
    if (ec) {
      done(ec, {});
      return;
    }
    switch (FirstByteClassify(first)) {
      case FirstByteKind::kPlain:
          done({}, requireTls ? "plain connection while TLS is required" : "");
        return;
      case FirstByteKind::kNeither:
          done({}, "neither TLS nor the protocol");
        return;
      case FirstByteKind::kTls:
        break;
    }
    tls_.emplace(socket_, *tls);
    handshaking_ = true;
    tls_->async_handshake(asio::ssl::stream_base::server,
                          [this, done = std::move(done)](const asio::error_code& handshakeError) {
                                                  // Each connection's failure stays its own.
                            ERR_clear_error();
                            done(handshakeError, {});
                          });
  });
}

void ClientStream::Read(asio::mutable_buffer buffer, IoHandler handler) {
  if (tls_) {
    asio::async_read(*tls_, buffer, std::move(handler));
  } else {
    asio::async_read(socket_, buffer, std::move(handler));
  }
}

void ClientStream::Write(asio::const_buffer buffer, IoHandler handler) {
  if (tls_) {
    asio::async_write(*tls_, buffer, std::move(handler));
  } else {
    asio::async_write(socket_, buffer, std::move(handler));
  }
}

void ClientStream::Close() {
  asio::error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
}
