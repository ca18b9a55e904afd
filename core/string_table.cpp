#include "core/string_table.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>

namespace {

struct StringEntry {
    int id;
    const char* source;
};

// id -> Chinese source text, ascending by id. The context literal in each row
// is what lupdate reads; it must stay equal to kStringsContext. Ids 164 and 190
// share their text, and so do 112/131 and 120/132: one translation each.
constexpr StringEntry kStrings[] = {
    {101, QT_TRANSLATE_NOOP("Strings", "关于 Corvelane(&A)...")},
    {102, QT_TRANSLATE_NOOP("Strings", "登录")},
    {103, QT_TRANSLATE_NOOP("Strings", "密码")},
    {104, QT_TRANSLATE_NOOP("Strings", "提示:软件初始密码为空.\n请直接点击“登录”按钮进入,\n"
                                       "进入后请在设置中修改密码.")},
    {105, QT_TRANSLATE_NOOP("Strings", "新建任务")},
    {106, QT_TRANSLATE_NOOP("Strings", "发送短信")},
    {107, QT_TRANSLATE_NOOP("Strings", "接收短信")},
    {108, QT_TRANSLATE_NOOP("Strings", "个性短信")},
    {109, QT_TRANSLATE_NOOP("Strings", "余额查询")},
    {110, QT_TRANSLATE_NOOP("Strings", "网络电话")},
    {111, QT_TRANSLATE_NOOP("Strings", "网络硬盘")},
    {112, QT_TRANSLATE_NOOP("Strings", "网络管理")},
    {113, QT_TRANSLATE_NOOP("Strings", "即时通讯")},
    {114, QT_TRANSLATE_NOOP("Strings", "发送邮件")},
    {115, QT_TRANSLATE_NOOP("Strings", "发送传真")},
    {116, QT_TRANSLATE_NOOP("Strings", "发送彩信")},
    {117, QT_TRANSLATE_NOOP("Strings", "手机报")},
    {118, QT_TRANSLATE_NOOP("Strings", "发送语音")},
    {119, QT_TRANSLATE_NOOP("Strings", "数据引擎")},
    {120, QT_TRANSLATE_NOOP("Strings", "网信管理")},
    {121, QT_TRANSLATE_NOOP("Strings", "退出")},
    {122, QT_TRANSLATE_NOOP("Strings", "联系人")},
    {123, QT_TRANSLATE_NOOP("Strings", "短信")},
    {124, QT_TRANSLATE_NOOP("Strings", "已接收记录")},
    {125, QT_TRANSLATE_NOOP("Strings", "调查记录")},
    {126, QT_TRANSLATE_NOOP("Strings", "任务列表")},
    {127, QT_TRANSLATE_NOOP("Strings", "传真")},
    {128, QT_TRANSLATE_NOOP("Strings", "邮件")},
    {129, QT_TRANSLATE_NOOP("Strings", "彩信")},
    {130, QT_TRANSLATE_NOOP("Strings", "语音")},
    {131, QT_TRANSLATE_NOOP("Strings", "网络管理")},
    {132, QT_TRANSLATE_NOOP("Strings", "网信管理")},
    {133, QT_TRANSLATE_NOOP("Strings", "草稿箱")},
    {134, QT_TRANSLATE_NOOP("Strings", "发送失败记录")},
    {135, QT_TRANSLATE_NOOP("Strings", "发送成功记录")},
    {136, QT_TRANSLATE_NOOP("Strings", "增加分组")},
    {137, QT_TRANSLATE_NOOP("Strings", "删除分组")},
    {138, QT_TRANSLATE_NOOP("Strings", "重命名分组")},
    {139, QT_TRANSLATE_NOOP("Strings", "添加联系人")},
    {140, QT_TRANSLATE_NOOP("Strings", "导入联系人")},
    {141, QT_TRANSLATE_NOOP("Strings", "移动到组")},
    {142, QT_TRANSLATE_NOOP("Strings", "分组管理")},
    {143, QT_TRANSLATE_NOOP("Strings", "任务名称不能为空")},
    {144, QT_TRANSLATE_NOOP("Strings", "任务日期不能小于当前日期")},
    {145, QT_TRANSLATE_NOOP("Strings", "任务时间不能小于当前时间")},
    {146, QT_TRANSLATE_NOOP("Strings", "任务执行时间小于当前时间后5分钟,如不修改,可能将不会执行.是否继续?")},
    {147, QT_TRANSLATE_NOOP("Strings", "请设定任务执行时间.")},
    {148, QT_TRANSLATE_NOOP("Strings", "发送对象不能为空")},
    {149, QT_TRANSLATE_NOOP("Strings", "手机号码个数只能在100个以内.")},
    {150, QT_TRANSLATE_NOOP("Strings", "存入号码列表出错了.")},
    {151, QT_TRANSLATE_NOOP("Strings", "短信内容不能为空")},
    {152, QT_TRANSLATE_NOOP("Strings", "内容长度不能超过500")},
    {153, QT_TRANSLATE_NOOP("Strings", "定时(周期)短信提交成功.")},
    {154, QT_TRANSLATE_NOOP("Strings", "请至少选择一条记录进行此项操作")},
    {155, QT_TRANSLATE_NOOP("Strings", "字段名称不能为空")},
    {156, QT_TRANSLATE_NOOP("Strings", "字段名称已存在")},
    {157, QT_TRANSLATE_NOOP("Strings", "字段名称不能重复")},
    {158, QT_TRANSLATE_NOOP("Strings", "序号起始值必须为大于0的整数")},
    {159, QT_TRANSLATE_NOOP("Strings", "条记录已选中,确定删除?")},
    {160, QT_TRANSLATE_NOOP("Strings", "删除失败")},
    {161, QT_TRANSLATE_NOOP("Strings", "有联系人没有生成首字母,可能查询不全.是否现在生成?")},
    {162, QT_TRANSLATE_NOOP("Strings", "导出联系人成功")},
    {163, QT_TRANSLATE_NOOP("Strings", "只能将一个号码添加至联系人！")},
    {164, QT_TRANSLATE_NOOP("Strings", "号码为空或是非法手机号码，请重新填写！")},
    {165, QT_TRANSLATE_NOOP("Strings", "保存成功")},
    {166, QT_TRANSLATE_NOOP("Strings", "生日提醒提前天数应小于30")},
    {167, QT_TRANSLATE_NOOP("Strings", "第一次提醒时间小于当前时间后5分钟,如不修改,今天可能将不会提醒."
                                       "是否继续?")},
    {168, QT_TRANSLATE_NOOP("Strings", "无有效的定时时间,请确保定时时间大于当前时间!")},
    {169, QT_TRANSLATE_NOOP("Strings", "计算出以下时间的定时短信")},
    {170, QT_TRANSLATE_NOOP("Strings", "是否提交？")},
    {171, QT_TRANSLATE_NOOP("Strings", "发送日期和当前日期一样时，发送时间不能小于当前时间")},
    {172, QT_TRANSLATE_NOOP("Strings", "提前发送后,列表中有项的发送时间小于当前时间,这些项将立即发送.\n\n"
                                       "\t\t确定提前天数及时间正确?")},
    {173, QT_TRANSLATE_NOOP("Strings", "开始日期应大于等于当前日期")},
    {174, QT_TRANSLATE_NOOP("Strings", "开始日期应小于等于结束日期")},
    {175, QT_TRANSLATE_NOOP("Strings", "目标分组不能为空")},
    {176, QT_TRANSLATE_NOOP("Strings", "目标分组只能有一个")},
    {177, QT_TRANSLATE_NOOP("Strings", "条件名称不能为空.")},
    {178, QT_TRANSLATE_NOOP("Strings", "存在相同名称的条件,是否覆盖?")},
    {179, QT_TRANSLATE_NOOP("Strings", "只能针对选定的一条记录进行此操作")},
    {180, QT_TRANSLATE_NOOP("Strings", "请选择要删除的记录")},
    {181, QT_TRANSLATE_NOOP("Strings", "请先设定该联系人的特殊日期")},
    {182, QT_TRANSLATE_NOOP("Strings", "请先设定该联系人的生日")},
    {183, QT_TRANSLATE_NOOP("Strings", "请先填写该联系人的手机号码")},
    {184, QT_TRANSLATE_NOOP("Strings", "此操作会删除所有非法号码。\n\n可能需要较长时间，是否继续？")},
    {185, QT_TRANSLATE_NOOP("Strings", "正在处理...")},
    {186, QT_TRANSLATE_NOOP("Strings", "保存联系人信息成功")},
    {187, QT_TRANSLATE_NOOP("Strings", "联系人信息")},
    {188, QT_TRANSLATE_NOOP("Strings", "自定义联系人属性")},
    {189, QT_TRANSLATE_NOOP("Strings", "带*内容不能为空")},
    {190, QT_TRANSLATE_NOOP("Strings", "号码为空或是非法手机号码，请重新填写！")},
    {191, QT_TRANSLATE_NOOP("Strings", "生日短信自动发送内容不能为空")},
    {192, QT_TRANSLATE_NOOP("Strings", "特殊日期短信自动发送内容不能为空")},
    {193, QT_TRANSLATE_NOOP("Strings", "设置成功！")},
    {194, QT_TRANSLATE_NOOP("Strings", "导出联系人失败")},
    {195, QT_TRANSLATE_NOOP("Strings", "文件已经存在，是否覆盖？")},
    {196, QT_TRANSLATE_NOOP("Strings", "创建Excel服务失败!缺少微软Excel组件和Wps组件！")},
    {197, QT_TRANSLATE_NOOP("Strings", "提示")},
    {203, QT_TRANSLATE_NOOP("Strings", "请选择所导入联系人的目标分组.")},
    {204, QT_TRANSLATE_NOOP("Strings", "文件名称不能为空.")},
    {205, QT_TRANSLATE_NOOP("Strings", "表名不能为空.")},
    {206, QT_TRANSLATE_NOOP("Strings", "表单名称不能为空.")},
    {207, QT_TRANSLATE_NOOP("Strings", "既没有Excel组件,也没有Wps组件,无法导入!")},
    {208, QT_TRANSLATE_NOOP("Strings", "一次只能拖放一个文件")},
    {209, QT_TRANSLATE_NOOP("Strings", "联系人文件格式不正确!")},
    {210, QT_TRANSLATE_NOOP("Strings", "条件列表和短信内容都不能空.")},
    {211, QT_TRANSLATE_NOOP("Strings", "查询字段和条件及内容都不能为空")},
    {212, QT_TRANSLATE_NOOP("Strings", "图片格式不正确")},
    {213, QT_TRANSLATE_NOOP("Strings", "声音文件格式不正确")},
    {214, QT_TRANSLATE_NOOP("Strings", "确定要发送本条彩信吗？")},
    {215, QT_TRANSLATE_NOOP("Strings", "本地数据库读取错误,请关闭后重新运行.")},
    {216, QT_TRANSLATE_NOOP("Strings", "数据库文件已被损坏")},
    {217, QT_TRANSLATE_NOOP("Strings", "密码错误")},
    {218, QT_TRANSLATE_NOOP("Strings", "两次密码输入不一致")},
    {219, QT_TRANSLATE_NOOP("Strings", "修改密码成功")},
    {220, QT_TRANSLATE_NOOP("Strings", "所有项目必填且长度必须在6到11位之内")},
    {221, QT_TRANSLATE_NOOP("Strings", "原密码输入错误")},
    {222, QT_TRANSLATE_NOOP("Strings", "密码修改成功，但本地数据库更新数据出错.")},
    {223, QT_TRANSLATE_NOOP("Strings", "该分组及其子组和内容都将被删除,是否继续?")},
    {224, QT_TRANSLATE_NOOP("Strings", "请选择短语的目标分组")},
    {225, QT_TRANSLATE_NOOP("Strings", "只能选择其子组作为短语的目标分组.")},
    {226, QT_TRANSLATE_NOOP("Strings", "分组名字不能为空!")},
    {227, QT_TRANSLATE_NOOP("Strings", "删除成功")},
    {228, QT_TRANSLATE_NOOP("Strings", "导出记录成功")},
    {229, QT_TRANSLATE_NOOP("Strings", "请选择要个性重发的记录！")},
    {231, QT_TRANSLATE_NOOP("Strings", "获取服务器成功")},
    {232, QT_TRANSLATE_NOOP("Strings", "获取服务器失败,将自动转到备用服务器")},
    {233, QT_TRANSLATE_NOOP("Strings", "请选择服务器")},
    {234, QT_TRANSLATE_NOOP("Strings", "服务器内容不能为空!")},
    {235, QT_TRANSLATE_NOOP("Strings", "端口内容不能为空!")},
    {236, QT_TRANSLATE_NOOP("Strings", "代理服务器连接成功!")},
    {237, QT_TRANSLATE_NOOP("Strings", "代理服务器连接失败!")},
    {238, QT_TRANSLATE_NOOP("Strings", "设置成功.下次程序启动后开始生效")},
    {239, QT_TRANSLATE_NOOP("Strings", "选择的周期内执行任务的时间数为空,请确认选择的频率,日期及起止日期")},
    {241, QT_TRANSLATE_NOOP("Strings", "余额不足，请先充值！")},
    {242, QT_TRANSLATE_NOOP("Strings", "号码或者内容为空，不能发送！")},
    {243, QT_TRANSLATE_NOOP("Strings", "发送?")},
    {244, QT_TRANSLATE_NOOP("Strings", "提交?")},
    {245, QT_TRANSLATE_NOOP("Strings", "确定")},
    {246, QT_TRANSLATE_NOOP("Strings", "成功")},
    {247, QT_TRANSLATE_NOOP("Strings", "部分发送失败，请到失败记录里重新")},
    {249, QT_TRANSLATE_NOOP("Strings", "分隔符太长！")},
    {250, QT_TRANSLATE_NOOP("Strings", "卡号或密码长度不正确")},
    {261, QT_TRANSLATE_NOOP("Strings", "请添加要查询的手机号码!")},
    {262, QT_TRANSLATE_NOOP("Strings", "查询的号码不存在!")},
    {263, QT_TRANSLATE_NOOP("Strings", "请添加要查询的姓名!")},
    {264, QT_TRANSLATE_NOOP("Strings", "查询的姓名不存在!")},
    {265, QT_TRANSLATE_NOOP("Strings", "查询余额失败!")},
    {266, QT_TRANSLATE_NOOP("Strings", "您的账户可用条数为:")},
    {267, QT_TRANSLATE_NOOP("Strings", "保存草稿成功")},
    {274, QT_TRANSLATE_NOOP("Strings", "发送列表不能为空")},
    {275, QT_TRANSLATE_NOOP("Strings", "主题不能为空")},
    {276, QT_TRANSLATE_NOOP("Strings", "确定发送?")},
    {280, QT_TRANSLATE_NOOP("Strings", "发送成功")},
    {289, QT_TRANSLATE_NOOP("Strings", "部分或全部发送失败,请到彩信发送失败记录里重发!")},
    {290, QT_TRANSLATE_NOOP("Strings", "主题字数不能超过30个字")},
    {291, QT_TRANSLATE_NOOP("Strings", "存入彩信记录主题等出错了")},
    {292, QT_TRANSLATE_NOOP("Strings", "删除原彩信附件记录出错了")},
    {293, QT_TRANSLATE_NOOP("Strings", "保存彩信附件记录出错了")},
    {294, QT_TRANSLATE_NOOP("Strings", "删除原彩信号码记录出错了")},
    {295, QT_TRANSLATE_NOOP("Strings", "图片路径不能为空")},
    {296, QT_TRANSLATE_NOOP("Strings", "不能编辑gif格式图片")},
    {311, QT_TRANSLATE_NOOP("Strings", "条件列表不能为空")},
    {312, QT_TRANSLATE_NOOP("Strings", "查询内容不能为空")},
    {313, QT_TRANSLATE_NOOP("Strings", "自动接收时间间隔不能小于5秒钟.")},
    {314, QT_TRANSLATE_NOOP("Strings", "自动回复内容不能为空.")},
    {315, QT_TRANSLATE_NOOP("Strings", "声音路径不能为空.")},
    {316, QT_TRANSLATE_NOOP("Strings", "生日提前天数只能在0-30天内")},
    {317, QT_TRANSLATE_NOOP("Strings", "每批发送条数不能小于1")},
    {318, QT_TRANSLATE_NOOP("Strings", "设置成功,立即生效！")},
    {319, QT_TRANSLATE_NOOP("Strings", "必须选择当前条数(即必须选择A)")},
    {320, QT_TRANSLATE_NOOP("Strings", "拆分短信前缀的开始和结尾符都不能为数字")},
    {321, QT_TRANSLATE_NOOP("Strings", "拆分短信前缀不能使用用完整的小括号")},
    {330, QT_TRANSLATE_NOOP("Strings", "软件序列号")},
    {331, QT_TRANSLATE_NOOP("Strings", "特服号")},
    {332, QT_TRANSLATE_NOOP("Strings", "是否备份数据库?")},
    {333, QT_TRANSLATE_NOOP("Strings", "备份确认")},
    {334, QT_TRANSLATE_NOOP("Strings", "请选择一个联系人的子组作为将要导入的目标分组")},
    {339, QT_TRANSLATE_NOOP("Strings", "您没有相应的操作权限，请联系管理员!")},
    {340, QT_TRANSLATE_NOOP("Strings", "压缩数据库成功！")},
    {341, QT_TRANSLATE_NOOP("Strings", "请选择用此客户端备份的数据库文件。"
                                       "如果选择其他文件导致数据库被破坏而丢失信息，用户自己承担责任！")},
    {342, QT_TRANSLATE_NOOP("Strings", "新建分组失败!此分组名称已存在")},
    {343, QT_TRANSLATE_NOOP("Strings", "该分组及子组和相关联系人都将删除,确定删除?")},
    {344, QT_TRANSLATE_NOOP("Strings", "警告：\n  该操作将使用“本机数据” 覆盖 “云端数据”！"
                                       "是否执行同步操作？")},
    {345, QT_TRANSLATE_NOOP("Strings", "警告")},
    {346, QT_TRANSLATE_NOOP("Strings", "同步成功！")},
    {347, QT_TRANSLATE_NOOP("Strings", "同步失败！")},
    {348, QT_TRANSLATE_NOOP("Strings", "警告：\n  该操作将使用“云端数据” 覆盖 “本机数据”！"
                                       "是否执行同步操作？")},
    {349, QT_TRANSLATE_NOOP("Strings", "重命名失败!此分组名称已存在")},
    {350, QT_TRANSLATE_NOOP("Strings", "删除插件成功")},
    {351, QT_TRANSLATE_NOOP("Strings", "安装插件成功")},
    {352, QT_TRANSLATE_NOOP("Strings", "Excel传入的参数不足！")},
    {353, QT_TRANSLATE_NOOP("Strings", "没有需要接收的短信.")},
    {354, QT_TRANSLATE_NOOP("Strings", "备份数据成功！")},
    {355, QT_TRANSLATE_NOOP("Strings", "备份数据失败！请检查文件是否已经存在！")},
    {356, QT_TRANSLATE_NOOP("Strings", "备份文件(*.bak)|*.bak||")},
    {357, QT_TRANSLATE_NOOP("Strings", "打开备份文件出错！请选择正确的备份文件！")},
    {358, QT_TRANSLATE_NOOP("Strings", "读取备份文件头出错！请选择正确的备份文件！")},
    {359, QT_TRANSLATE_NOOP("Strings", "备份文件格式错误！请选择正确的备份文件！")},
    {360, QT_TRANSLATE_NOOP("Strings", "恢复数据成功,请重启本软件!")},
    {363, QT_TRANSLATE_NOOP("Strings", "过滤重复数据")},
    {365, QT_TRANSLATE_NOOP("Strings", "取消过滤重复")},
    {366, QT_TRANSLATE_NOOP("Strings", "版本号")},
    {1101, QT_TRANSLATE_NOOP("Strings", "关于 Keldrune(&A)...")},
};

constexpr bool IdsAscending() {
    return std::is_sorted(std::begin(kStrings), std::end(kStrings),
                          [](const StringEntry& a, const StringEntry& b) { return a.id <= b.id; });
}
static_assert(IdsAscending(), "kStrings must be sorted by id, without duplicates");

// The low ten bits of a language id are its primary language.
constexpr int kPrimaryLanguageMask = 0x3FF;
constexpr int kPrimaryChinese = 0x04;
constexpr int kPrimaryEnglish = 0x09;

const QString kEnglishTranslation = QStringLiteral(":/i18n/corvelane_en.qm");

std::mutex g_mutex;
// Owned by the application object, so it goes when the application goes.
QPointer<QTranslator> g_english;
// Qt's own texts (the buttons of message boxes and standard dialogs) in
// Chinese; in English Qt needs no translation.
QPointer<QTranslator> g_qtChinese;
std::atomic<int> g_language{kLangChinese};

bool InstallEnglish() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    if (!g_english) {
        auto* translator = new QTranslator(app);
        if (!translator->load(kEnglishTranslation)) {
            delete translator;
            return false;
        }
        g_english = translator;
    }
    // Installing twice would list the translator twice; take it out first.
    QCoreApplication::removeTranslator(g_english);
    return QCoreApplication::installTranslator(g_english);
}

// Without Debian's Qt translations the boxes keep Qt's English buttons; our
// own texts are Chinese all the same, so this is no reason to refuse Chinese.
void InstallQtChinese() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (!g_qtChinese) {
        auto* translator = new QTranslator(app);
        if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return;
        }
        g_qtChinese = translator;
    }
    QCoreApplication::removeTranslator(g_qtChinese);
    QCoreApplication::installTranslator(g_qtChinese);
}

} // namespace

QString LoadStr(int id) {
    const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const StringEntry& e, int key) { return e.id < key; });
    if (it == std::end(kStrings) || it->id != id)
        return {};
    return QCoreApplication::translate(kStringsContext, it->source);
}

std::vector<int> StringTableIds() {
    std::vector<int> ids;
    ids.reserve(std::size(kStrings));
    for (const StringEntry& e : kStrings)
        ids.push_back(e.id);
    return ids;
}

bool SetUiLanguage(int langId) {
    const int primary = langId & kPrimaryLanguageMask;
    std::lock_guard lock(g_mutex);
    if (primary == kPrimaryChinese) {
        if (g_english)
            QCoreApplication::removeTranslator(g_english);
        InstallQtChinese();
        g_language = kLangChinese;
        return true;
    }
    if (primary != kPrimaryEnglish || !InstallEnglish())
        return false;
    if (g_qtChinese)
        QCoreApplication::removeTranslator(g_qtChinese);
    g_language = kLangEnglish;
    return true;
}

bool IsKnownUiLanguage(int langId) {
    const int primary = langId & kPrimaryLanguageMask;
    return primary == kPrimaryChinese || primary == kPrimaryEnglish;
}

int UiLanguage() {
    return g_language;
}
