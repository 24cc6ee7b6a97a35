#include "platform/Host.h"

#include <QtGlobal>

#include <atomic>

namespace vantrel {

namespace {

// The pointer is read from any thread (the logger's writer, L10n lookups); the owning
// reference is only touched when a guard installs or removes a host.
std::atomic<Host*> g_current{nullptr};
std::shared_ptr<Host> g_currentOwner;
std::mutex g_installMutex;

} // namespace

Host::Host(Ports ports, QString ownBundlePath, QString ownBundleIdentifier)
    : m_ports(std::move(ports))
    , m_ownBundlePath(std::move(ownBundlePath))
    , m_ownBundleIdentifier(std::move(ownBundleIdentifier))
{
    Q_ASSERT(m_ports.fileSystem && m_ports.preferences && m_ports.clock);
}

Host::~Host()
{
    while (!m_shared.empty()) {
        m_shared.pop_back();
    }
}

Host& Host::current()
{
    Host* host = g_current.load(std::memory_order_acquire);
    if (!host) {
        qFatal("No host installed: main or the test must install one with CurrentHostGuard");
    }
    return *host;
}

void Host::missingPort(const char* name)
{
    qFatal("This host has no %s port", name);
}

bool Host::hasCurrent()
{
    return g_current.load(std::memory_order_acquire) != nullptr;
}

CurrentHostGuard::CurrentHostGuard(std::shared_ptr<Host> host)
    : m_host(std::move(host))
{
    Q_ASSERT(m_host);
    std::lock_guard lock(g_installMutex);
    m_previous = std::exchange(g_currentOwner, m_host);
    g_current.store(m_host.get(), std::memory_order_release);
}

CurrentHostGuard::~CurrentHostGuard()
{
    std::shared_ptr<Host> leaving;
    {
        std::lock_guard lock(g_installMutex);
        leaving = std::exchange(g_currentOwner, m_previous);
        g_current.store(m_previous.get(), std::memory_order_release);
    }
    // `leaving` (and m_host) may be the last owners; the host's shared objects are torn
    // down here, after it stopped being current.
}

} // namespace vantrel
