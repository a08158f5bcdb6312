#include "CUserManager.h"

#include "CAppConfig.h"
#include "common/CAutoLock.h"
#include "CUserDataLoader.h"
#include "PasswordCoding.h"
#include "XmlFile.h"

namespace {

struct USER_ATTRIBUTE {
    const char* name;
    CString USER_INFO::*field;
};

// Attribute order of a user element; psw is stored coded.
const USER_ATTRIBUTE kUserAttributes[] = {
    {"id", &USER_INFO::id},
    {"psw", &USER_INFO::psw},
    {"name", &USER_INFO::name},
    {"sex", &USER_INFO::sex},
    {"birthday", &USER_INFO::birthday},
    {"role", &USER_INFO::role},
    {"information", &USER_INFO::information},
    {"systemdir", &USER_INFO::systemdir},
    {"rights", &USER_INFO::rights},
};

bool IsPasswordField(const USER_ATTRIBUTE& attribute) { return attribute.field == &USER_INFO::psw; }

TiXmlElement* NewUserElement(const USER_INFO& user) {
    TiXmlElement* element = new TiXmlElement("user");
    for (const USER_ATTRIBUTE& attribute : kUserAttributes) {
        const CString& value = user.*attribute.field;
        SetAnsiAttribute(element, attribute.name, IsPasswordField(attribute) ? EncodePassword(value, 0) : value);
    }
    return element;
}

USER_INFO ReadUserElement(const TiXmlElement* element) {
    USER_INFO user;
    for (const USER_ATTRIBUTE& attribute : kUserAttributes) {
        CString value;
        if (!GetAnsiAttribute(element, attribute.name, &value)) continue;
        user.*attribute.field = IsPasswordField(attribute) ? DecodePassword(value, 0) : value;
    }
    return user;
}

}  // namespace

CUserManager::CUserManager(CAppConfig* config) : m_pConfig(config) {}

CUserManager::~CUserManager() { m_lock.Destroy(); }

CAppConfig* CUserManager::Config() const { return m_pConfig ? m_pConfig : GetAppConfig(); }

// --- File ---

int CUserManager::Load(const CString& path) {
    {
        CAutoLock guard(&m_lock);
        if (!path.IsEmpty()) m_strPath = path;
        if (m_strPath.IsEmpty()) return -1;
    }
    return LoadFile(m_strPath);
}

int CUserManager::LoadFile(const CString& path) {
    TiXmlDocument doc;
    const int read = ReadStoredXmlFile(path, doc);
    CAutoLock guard(&m_lock);
    m_users.clear();
    if (read < 0) return -1;
    for (const TiXmlElement* organization = doc.FirstChildElement("Organization"); organization;
         organization = organization->NextSiblingElement("Organization")) {
        for (const TiXmlElement* element = organization->FirstChildElement("user"); element;
             element = element->NextSiblingElement("user")) {
            USER_INFO user = ReadUserElement(element);
            // A later element with the same id replaces an earlier one.
            m_users[user.id] = user;
        }
    }
    return read == 2 ? 1 : 0;
}

int CUserManager::Save(const CString& path) {
    TiXmlDocument doc;
    CString target = path;
    {
        CAutoLock guard(&m_lock);
        if (target.IsEmpty()) target = m_strPath;
        AddXmlDeclaration(doc);
        TiXmlElement* organization = new TiXmlElement("Organization");
        for (const auto& entry : m_users) organization->LinkEndChild(NewUserElement(entry.second));
        doc.LinkEndChild(organization);
    }
    return WriteXmlFile(doc, target);
}

int CUserManager::Clear() {
    CAutoLock guard(&m_lock);
    m_users.clear();
    return 0;
}

// --- Users ---

USER_INFO CUserManager::FindUser(const CString& id) {
    if (id.IsEmpty()) return USER_INFO();
    CAutoLock guard(&m_lock);
    auto found = m_users.find(id);
    return found == m_users.end() ? USER_INFO() : found->second;
}

int CUserManager::UserExists(const CString& id) { return FindUser(id).id.IsEmpty() ? -1 : 0; }

int CUserManager::HasRight(const CString& id, long mask) { return FindUser(id).HasRight(mask); }

int CUserManager::ListUsers(const CString& id, std::vector<USER_INFO>& out) {
    if (!id.IsEmpty()) {
        USER_INFO user = FindUser(id);
        if (!user.id.IsEmpty()) out.push_back(user);
        return 0;
    }
    CAutoLock guard(&m_lock);
    for (const auto& entry : m_users) out.push_back(entry.second);
    return 0;
}

int CUserManager::AddUser(const CString& id, const USER_INFO& user) {
    CAutoLock guard(&m_lock);
    if (m_users.count(id)) return -1;
    USER_INFO& stored = m_users[id];
    stored = user;
    stored.id = id;
    stored.loggedIn = 0;
    return 0;
}

int CUserManager::AddUserFields(const CString& id, const CString& name, const CString& psw, const CString& sex,
                                const CString& birthday, const CString& role, const CString& information,
                                const CString& systemdir, const CString& rights) {
    USER_INFO user;
    user.id = id;
    user.name = name;
    user.psw = psw;
    user.sex = sex;
    user.birthday = birthday;
    user.role = role;
    user.information = information;
    user.systemdir = systemdir;
    user.rights = rights;
    return AddUser(id, user);
}

int CUserManager::UpdateUser(const CString& id, const USER_INFO& user) {
    CAutoLock guard(&m_lock);
    auto found = m_users.find(id);
    if (found != m_users.end()) {
        found->second = user;
        found->second.id = id;
    }
    return 0;
}

// --- Passwords and login ---

bool CUserManager::IsStorablePassword(const CString& password) {
    return DecodePassword(EncodePassword(password, 0), 0) == password;
}

int CUserManager::ChangeSuperUserPassword(const CString& oldPassword, const CString& newPassword) {
    CAppConfig* config = Config();
    if (oldPassword != config->m_strSuperUserPassword) return -1;
    if (!IsStorablePassword(newPassword)) return -4;
    config->m_strSuperUserPassword = newPassword;
    if (!config->WriteSuperUser()) {
        config->m_strSuperUserPassword = oldPassword;
        return -3;
    }
    if (m_CurrentUser.id == config->m_strSuperUserID) m_CurrentUser.psw = newPassword;
    return 0;
}

int CUserManager::ChangePassword(const CString& id, const CString& oldPassword, const CString& newPassword) {
    if (id == Config()->m_strSuperUserID) return ChangeSuperUserPassword(oldPassword, newPassword);
    // Held through the save, so the file gets exactly the map that was checked.
    CAutoLock guard(&m_lock);
    auto found = m_users.find(id);
    if (id.IsEmpty() || found == m_users.end()) return -2;
    USER_INFO& user = found->second;
    if (oldPassword != user.psw) return -1;
    if (!IsStorablePassword(newPassword)) return -4;
    user.psw = newPassword;
    if (Save(CString()) != 0) {
        user.psw = oldPassword;
        return -3;
    }
    if (m_CurrentUser.id == id) m_CurrentUser.psw = newPassword;
    return 0;
}

int CUserManager::Login(const CString& id, const CString& password, BOOL apply) {
    if (id.IsEmpty()) return -2;
    CAppConfig* config = Config();
    USER_INFO user;
    bool passwordRight;
    if (id == config->m_strSuperUserID) {
        passwordRight = password == config->m_strSuperUserPassword;
        user.id = id;
        user.psw = password;
        user.rights = FormatRights(kAllRights);
    } else {
        user = FindUser(id);
        if (user.id != id) return -2;
        passwordRight = password == user.psw;
    }
    if (!passwordRight) return -1;
    if (!apply) return 0;

    user.loggedIn = 1;
    m_CurrentUser = user;
    config->SetLoginUserName(id);
    config->WriteLoginInfo();
    config->SetCurrentUser(id, this);
    return 0;
}

int LoginAndLoadUserData(CUserManager& users, CUserDataLoader* loader, const CString& id, const CString& password,
                         BOOL apply) {
    const int result = users.Login(id, password, apply);
    // The load reloads the user manager too: it runs once Login is done
    // with it, not from inside it.
    if (result == 0 && apply && loader) loader->LoadUserData();
    return result;
}
