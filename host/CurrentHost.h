// The one host per process that the provider's callbacks reach. A callback
// holds a use of the host for as long as it runs, and a host that stops
// being current waits for the uses to end, so no callback runs on a host
// being destroyed.
#pragma once

namespace zavhost {

class TapiHost;

namespace current_host {

// False when another host is current.
bool Claim(TapiHost* host);
// Returns once no callback uses the host any more.
void Release(TapiHost* host);
TapiHost* Get();

// A callback's use of the current host; Host() is null when there is none.
class Use {
public:
    Use();
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    TapiHost* Host() const { return m_host; }

private:
    TapiHost* m_host;
};

// Callbacks that arrived while no host was current.
unsigned long Orphans();

}  // namespace current_host
}  // namespace zavhost
