// The Group Policy templates against the library: each policy writes the key, value name and
// type the library reads, with values the library understands, and every text and
// presentation the template refers to is there in every language.
#include "update_check/rules/machine_policy.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#ifndef ORV_POLICY_DIR
#error "ORV_POLICY_DIR must name installer/policy"
#endif

namespace orv {
namespace {

using document = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

document load(const std::string& relative) {
    const std::string path = std::string(ORV_POLICY_DIR) + "/" + relative;
    return document(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET), xmlFreeDoc);
}

std::string name_of(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

std::string attribute(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::vector<const xmlNode*> children(const xmlNode* node, const std::string& name = {}) {
    std::vector<const xmlNode*> found;
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && (name.empty() || name_of(child) == name)) {
            found.push_back(child);
        }
    }
    return found;
}

const xmlNode* child(const xmlNode* node, const std::string& name) {
    std::vector<const xmlNode*> found = children(node, name);
    return found.size() == 1 ? found[0] : nullptr;
}

// Every "$(kind.id)" in any attribute below `node`, as kind -> ids.
void references(const xmlNode* node, std::map<std::string, std::set<std::string>>& found) {
    static const std::regex reference(R"(\$\((string|presentation)\.([^)]+)\))");
    for (const xmlAttr* at = node->properties; at; at = at->next) {
        std::string value = attribute(node, reinterpret_cast<const char*>(at->name));
        for (std::sregex_iterator it(value.begin(), value.end(), reference), end; it != end; ++it) {
            found[(*it)[1]].insert((*it)[2]);
        }
    }
    for (const xmlNode* below : children(node)) references(below, found);
}

// The one element of `policy`, when it is a `kind`; null otherwise.
const xmlNode* only_element(const xmlNode* policy, const std::string& kind) {
    const xmlNode* elements = policy ? child(policy, "elements") : nullptr;
    if (!elements || children(elements).size() != 1) return nullptr;
    return child(elements, kind);
}

std::string ascii(const wchar_t* text) { return std::string(text, text + std::wcslen(text)); }

class PolicyTemplates : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(admx_) << "OrvUpdateCheck.admx is not well-formed";
        root_ = xmlDocGetRootElement(admx_.get());
        ASSERT_TRUE(root_ && name_of(root_) == "policyDefinitions");
        const xmlNode* list = child(root_, "policies");
        ASSERT_TRUE(list);
        for (const xmlNode* policy : children(list, "policy")) {
            policies_[attribute(policy, "name")] = policy;
        }
    }

    document admx_ = load("OrvUpdateCheck.admx");
    const xmlNode* root_ = nullptr;
    std::map<std::string, const xmlNode*> policies_;
};

TEST_F(PolicyTemplates, EachPolicyWritesWhatTheLibraryReadsInThePolicyKey) {
    ASSERT_EQ(policies_.size(), 3u);
    for (const auto& [name, policy] : policies_) {
        SCOPED_TRACE(name);
        EXPECT_EQ(attribute(policy, "class"), "Machine");
        EXPECT_EQ(attribute(policy, "key"), ascii(machine_policy_key));
    }

    // The server: a REG_SZ text (not expandable), as long as the library reads.
    const xmlNode* text = only_element(policies_["UpdateServer"], "text");
    ASSERT_TRUE(text);
    EXPECT_EQ(attribute(text, "valueName"), ascii(machine_value_server));
    EXPECT_EQ(attribute(text, "expandable"), "");
    EXPECT_EQ(attribute(text, "maxLength"), "511");

    // The pins: REG_MULTI_SZ, one pin per string.
    const xmlNode* multi_text = only_element(policies_["TrustedPublishers"], "multiText");
    ASSERT_TRUE(multi_text);
    EXPECT_EQ(attribute(multi_text, "valueName"), ascii(machine_value_trusted_publishers));

    // Automatic checks: a REG_DWORD whose disabled value stops scheduled checks and whose
    // enabled value leaves them to the user.
    const xmlNode* automatic = policies_["AutoUpdateCheck"];
    ASSERT_TRUE(automatic);
    EXPECT_EQ(attribute(automatic, "valueName"), ascii(machine_value_auto_update_check));
    EXPECT_FALSE(child(automatic, "elements"));
    std::map<std::string, bool> allows;
    for (const char* state : {"enabledValue", "disabledValue"}) {
        const xmlNode* value = child(automatic, state);
        ASSERT_TRUE(value) << state;
        const xmlNode* decimal = child(value, "decimal");
        ASSERT_TRUE(decimal) << state << " is not a REG_DWORD";
        const unsigned long number = std::stoul(attribute(decimal, "value"));
        registry_value dword{
            registry_dword,
            {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
             static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)},
            true};
        allows[state] = machine_allows_scheduled_checks(dword);
    }
    EXPECT_TRUE(allows["enabledValue"]);
    EXPECT_FALSE(allows["disabledValue"]);
}

class PolicyTemplateLanguage : public PolicyTemplates,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(PolicyTemplateLanguage, DefinesEveryStringAndPresentationTheTemplateUses) {
    document adml = load(std::string(GetParam()) + "/OrvUpdateCheck.adml");
    ASSERT_TRUE(adml) << "not well-formed";
    const xmlNode* resources = child(xmlDocGetRootElement(adml.get()), "resources");
    ASSERT_TRUE(resources);
    std::set<std::string> strings;
    if (const xmlNode* table = child(resources, "stringTable")) {
        for (const xmlNode* entry : children(table, "string")) {
            const xmlChar* content = entry->children ? entry->children->content : nullptr;
            EXPECT_TRUE(content && *content) << attribute(entry, "id") << " is empty";
            strings.insert(attribute(entry, "id"));
        }
    }
    std::map<std::string, const xmlNode*> presentations;
    if (const xmlNode* table = child(resources, "presentationTable")) {
        for (const xmlNode* entry : children(table, "presentation")) {
            presentations[attribute(entry, "id")] = entry;
        }
    }

    std::map<std::string, std::set<std::string>> used;
    references(root_, used);
    ASSERT_FALSE(used["string"].empty());
    for (const std::string& id : used["string"]) EXPECT_TRUE(strings.count(id)) << id;
    for (const std::string& id : used["presentation"]) EXPECT_TRUE(presentations.count(id)) << id;

    // Each policy's presentation shows exactly its elements, by their ids.
    for (const auto& [name, policy] : policies_) {
        std::set<std::string> element_ids;
        if (const xmlNode* elements = child(policy, "elements")) {
            for (const xmlNode* element : children(elements)) {
                element_ids.insert(attribute(element, "id"));
            }
        }
        std::set<std::string> shown;
        static const std::regex presentation(R"(\$\(presentation\.([^)]+)\))");
        std::smatch match;
        const std::string reference = attribute(policy, "presentation");
        if (std::regex_match(reference, match, presentation) && presentations.count(match[1])) {
            for (const xmlNode* control : children(presentations[match[1]])) {
                shown.insert(attribute(control, "refId"));
            }
        }
        EXPECT_EQ(shown, element_ids) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, PolicyTemplateLanguage,
                         ::testing::Values("en-US", "zh-CN", "zh-TW"), [](const auto& info) {
                             std::string name = info.param;
                             name.erase(name.find('-'), 1);
                             return name;
                         });

}  // namespace
}  // namespace orv
