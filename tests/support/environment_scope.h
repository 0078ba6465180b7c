// Sets (or, with no value, removes) one environment variable and puts its old value back when
// the object goes.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace stravel::testing {

class EnvironmentScope {
public:
    EnvironmentScope(std::string name, const std::optional<std::string>& value)
        : _name(std::move(name)) {
        if (const char* old = std::getenv(_name.c_str()))
            _old = old;
        Set(value);
    }
    ~EnvironmentScope() { Set(_old); }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value)
            setenv(_name.c_str(), value->c_str(), 1);
        else
            unsetenv(_name.c_str());
    }

    std::string _name;
    std::optional<std::string> _old;
};

} // namespace stravel::testing
