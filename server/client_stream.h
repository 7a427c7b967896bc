#pragma once
// A client's byte stream, plain TCP or TLS on the same port: the connection
// reads and writes through it without knowing which. Open looks at the first
// byte the client sends (without taking it) and, for TLS, runs the handshake.

#include <asio.hpp>
#include <asio/ssl.hpp>
#include <functional>
#include <optional>
#include <string>

class ClientStream {
 public:
  using IoHandler = std::function<void(const asio::error_code&, size_t)>;
  // error set: the stream broke or the client left; refusal non-empty: the
  // client is refused for what it sent first. Both empty: ready.
  using OpenHandler = std::function<void(const asio::error_code& error, const std::string& refusal)>;

  explicit ClientStream(asio::ip::tcp::socket socket) : socket_(std::move(socket)) {}

  // tls nullptr: plain only, and nothing is looked at. Otherwise TLS or plain
  // by the first byte; requireTls refuses plain.
  void Open(asio::ssl::context* tls, bool requireTls, OpenHandler done);
  // Fills the whole buffer, as asio::async_read.
  void Read(asio::mutable_buffer buffer, IoHandler handler);
  // Writes the whole buffer, as asio::async_write.
  void Write(asio::const_buffer buffer, IoHandler handler);
  // Closes the socket; pending operations end with an error.
  void Close();

  bool Tls() const { return tls_.has_value(); }
  // True while a TLS handshake runs.
  bool Handshaking() const { return handshaking_; }
  asio::ip::tcp::socket& Socket() { return socket_; }

 private:
  void WaitFirstByte(asio::ssl::context* tls, bool requireTls, OpenHandler done);

  asio::ip::tcp::socket socket_;
  std::optional<asio::ssl::stream<asio::ip::tcp::socket&>> tls_;
  bool handshaking_ = false;
};
