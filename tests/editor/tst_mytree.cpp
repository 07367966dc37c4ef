#include "Cls_MyTree.h"
#include "MessageBoxRecorder.h"
#include "platform_wrappers.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kNoSelectionPrompt =
    u"Treeの項目が選択されておりません。\r\n何かしら選択してください。"_s;
const QString kNoSelectionTitle = u"追加できません。"_s;
const QString kLeafPrompt = u"末端の子ノードが選択されています。\r\nこの処理を継続できません。"_s;
const QString kLeafTitle = u"処理中止"_s;
const QString kRemovePrompt = u"削除すると復元できません。\r\n削除してもよろしいですか？"_s;
const QString kRemoveTitle = u"最後の選択"_s;

} // namespace

class tst_MyTree final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setInitEmptiesControl();
    void generatedKeys_data();
    void generatedKeys();
    void refusedKeys_data();
    void refusedKeys();
    void rootNodeCarriesDummy();
    void addNodeUnderRelative();
    void expandLoadsChildren_data();
    void expandLoadsChildren();
    void collapseDropsChildren();
    void moves_data();
    void moves();
    void movedFrameComesBackCollapsed();
    void moveRootRefusesChild();
    void removeSelected_data();
    void removeSelected();
    void selectionChecks_data();
    void selectionChecks();
    void persistenceRoundTrip();
    void persistenceRefusesUnsafeNames_data();
    void persistenceRefusesUnsafeNames();

private:
    QStringList topKeys() const;
    QStringList childKeys(const QString &parentKey) const;
    void addFrames(const QStringList &keys);

    std::unique_ptr<QTreeWidget> m_widget;
    std::unique_ptr<Cls_MyTree> m_tree;
    std::unique_ptr<MessageBoxRecorder> m_recorder;
};

void tst_MyTree::init()
{
    m_recorder = std::make_unique<MessageBoxRecorder>();
    m_recorder->setDefaultAnswer(MsgBox::Ok);
    m_widget = std::make_unique<QTreeWidget>();
    m_tree = std::make_unique<Cls_MyTree>();
    m_tree->Set_Init(m_widget.get());
    m_tree->Set_ImageListNo(2, 1, 3);
    m_tree->ControlWithSave_Prop(false);
    m_tree->ExpandWithSort_Prop(false);
}

void tst_MyTree::cleanup()
{
    m_tree.reset();
    m_widget.reset();
    m_recorder.reset();
}

QStringList tst_MyTree::topKeys() const
{
    QStringList keys;
    for (int i = 0; i < m_widget->topLevelItemCount(); ++i)
        keys << Cls_MyTree::NodeKey(m_widget->topLevelItem(i));
    return keys;
}

QStringList tst_MyTree::childKeys(const QString &parentKey) const
{
    QStringList keys;
    const QTreeWidgetItem *parent = m_tree->FindNode(parentKey);
    for (int i = 0; parent != nullptr && i < parent->childCount(); ++i)
        keys << Cls_MyTree::NodeKey(parent->child(i));
    return keys;
}

void tst_MyTree::addFrames(const QStringList &keys)
{
    for (const QString &key : keys)
        QVERIFY(m_tree->AddRootNode(key + u" title"_s, key, key + u"-tag"_s));
}

void tst_MyTree::setInitEmptiesControl()
{
    auto *stray = new QTreeWidgetItem(m_widget.get()); // owned by the widget
    stray->setText(0, u"left over"_s);
    new QTreeWidgetItem(stray);
    Cls_MyTree other;
    other.Set_Init(m_widget.get());
    QCOMPARE(m_widget->topLevelItemCount(), 0);
}

void tst_MyTree::generatedKeys_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("priorKeys");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first top-level") << 1 << 0 << u"LV1_IDX0_Frame"_s;
    QTest::newRow("third top-level") << 1 << 2 << u"LV1_IDX2_Frame"_s;
    QTest::newRow("child after one") << 2 << 1 << u"LV2_IDX1_Frame"_s;
    QTest::newRow("grandchild") << 3 << 0 << u"LV3_IDX0_Frame"_s;
}

void tst_MyTree::generatedKeys()
{
    QFETCH(int, level);
    QFETCH(int, priorKeys);
    QFETCH(QString, expected);

    for (int i = 0; i < priorKeys; ++i)
        QVERIFY(m_tree->AddRootNode(u"Frame"_s, QString(), QString()));
    // Explicit keys do not use the counter.
    QVERIFY(m_tree->AddRootNode(u"P"_s, u"P"_s, QString()));
    QVERIFY(m_tree->AddNode(u"P"_s, u"Q"_s, u"Q"_s, {}));
    QCOMPARE(m_tree->SettingValue_Prop(), priorKeys);

    const QString text = u"Frame"_s;
    const QString tag = u"t"_s;
    const bool added = level == 1   ? m_tree->AddRootNode(text, QString(), tag)
                       : level == 2 ? m_tree->AddChild(u"P"_s, text, QString(), tag)
                                    : m_tree->AddChild(u"Q"_s, text, QString(), tag);
    QVERIFY(added);
    QCOMPARE(m_tree->SettingValue_Prop(), priorKeys + 1);
    const QTreeWidgetItem *node = m_tree->FindNode(expected);
    QVERIFY(node != nullptr);
    QCOMPARE(node->text(0), text);
    QCOMPARE(Cls_MyTree::NodeTag(node), tag);
    QCOMPARE(m_tree->IsChild(node), level != 1);
}

void tst_MyTree::refusedKeys_data()
{
    QTest::addColumn<QString>("parentKey");
    QTest::addColumn<QString>("key");

    QTest::newRow("duplicate") << u"Root0"_s << u"Root0"_s;
    QTest::newRow("duplicate of a child") << u"Root0"_s << u"Item"_s;
    QTest::newRow("placeholder") << u"Root0"_s << u"SettingName"_s;
    QTest::newRow("dummy mark") << u"Root0"_s << u"XXXXDummyXXXXmine"_s;
    QTest::newRow("missing parent") << u"NoSuchFrame"_s << u"Fresh"_s;
}

void tst_MyTree::refusedKeys()
{
    QFETCH(QString, parentKey);
    QFETCH(QString, key);

    QVERIFY(m_tree->AddRootNode(u"Frame"_s, u"Root0"_s, QString()));
    QVERIFY(m_tree->AddChild(u"Root0"_s, u"Item"_s, u"Item"_s, QString()));
    const auto nodeCount = [this] {
        int count = 0;
        for (QTreeWidgetItemIterator it(m_widget.get()); *it != nullptr; ++it)
            ++count;
        return count;
    };
    const int before = nodeCount();

    QVERIFY(!m_tree->AddChild(parentKey, u"X"_s, key, QString()));
    QVERIFY(!m_tree->AddNode(parentKey, u"X"_s, key, QString()));
    if (m_tree->FindNode(parentKey) != nullptr)
        QVERIFY(!m_tree->AddRootNode(u"X"_s, key, QString()));

    QCOMPARE(nodeCount(), before);
    QVERIFY(m_tree->FindNode(u"SettingName"_s) == nullptr);
    // The frame keeps its dummy when a branch under it is refused.
    QCOMPARE(childKeys(u"Root0"_s), QStringList({u"XXXXDummyXXXXRoot0"_s, u"Item"_s}));
}

void tst_MyTree::rootNodeCarriesDummy()
{
    QList<QIcon> icons;
    for (const Qt::GlobalColor colour : {Qt::red, Qt::green, Qt::blue}) {
        QPixmap pixmap(8, 8);
        pixmap.fill(colour);
        icons.append(QIcon(pixmap));
    }
    m_tree->ImageList_Prop(icons);
    QVERIFY(m_tree->AddRootNode(u"Frame"_s, u"Root0"_s, u"<Title>Frame</Title>"_s));
    const QTreeWidgetItem *frame = m_tree->FindNode(u"Root0"_s);
    QVERIFY(frame != nullptr);
    QCOMPARE(Cls_MyTree::NodeImage(frame), 1);
    QVERIFY(!m_tree->IsChild(frame));
    QCOMPARE(frame->childCount(), 1);
    const QTreeWidgetItem *dummy = frame->child(0);
    QCOMPARE(Cls_MyTree::NodeKey(dummy), u"XXXXDummyXXXXRoot0"_s);
    QCOMPARE(dummy->text(0), u"XXXXDummyXXXXRoot0"_s);
    QCOMPARE(Cls_MyTree::NodeTag(dummy), QString());
    QVERIFY(Cls_MyTree::IsDummyNode(dummy));
    QVERIFY(m_tree->IsChild(dummy));
    QCOMPARE(frame->icon(0).cacheKey(), icons.at(0).cacheKey());
    QCOMPARE(dummy->icon(0).cacheKey(), icons.at(2).cacheKey());
    m_tree->FindNode(u"Root0"_s)->setExpanded(true);
    QCOMPARE(frame->icon(0).cacheKey(), icons.at(1).cacheKey());
    QCOMPARE(frame->childCount(), 0);
}

void tst_MyTree::addNodeUnderRelative()
{
    addFrames({u"A"_s});
    QVERIFY(m_tree->AddNode(u"A"_s, u"Sub"_s, u"S"_s, QString()));
    QCOMPARE(childKeys(u"A"_s), QStringList{u"S"_s});
    QCOMPARE(childKeys(u"S"_s), QStringList{u"XXXXDummyXXXXS"_s});
    QVERIFY(!m_tree->IsChild(m_tree->FindNode(u"S"_s)));
}

void tst_MyTree::expandLoadsChildren_data()
{
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("file order") << false << QStringList{u"A0"_s, u"A1"_s, u"A2"_s};
    QTest::newRow("sorted") << true << QStringList{u"A1"_s, u"A2"_s, u"A0"_s};
}

void tst_MyTree::expandLoadsChildren()
{
    QFETCH(bool, sort);
    QFETCH(QStringList, expected);

    m_tree->ExpandWithSort_Prop(sort);
    addFrames({u"A"_s});
    int loads = 0;
    connect(m_tree.get(), &Cls_MyTree::NodeExpanded, this, [&](QTreeWidgetItem *node) {
        ++loads;
        const QString key = Cls_MyTree::NodeKey(node);
        const QStringList names{u"zeta"_s, u"alpha"_s, u"beta"_s};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(m_tree->AddChild(key, names.at(i), key + QString::number(i), QString()));
    });
    QTreeWidgetItem *frame = m_tree->FindNode(u"A"_s);
    frame->setExpanded(true);
    QCOMPARE(loads, 1);
    QCOMPARE(childKeys(u"A"_s), expected);
    QCOMPARE(Cls_MyTree::NodeImage(frame), 2);
}

void tst_MyTree::collapseDropsChildren()
{
    addFrames({u"A"_s});
    connect(m_tree.get(), &Cls_MyTree::NodeExpanded, this, [&](QTreeWidgetItem *node) {
        QVERIFY(m_tree->AddChild(Cls_MyTree::NodeKey(node), u"item"_s, u"A0"_s, QString()));
    });
    QTreeWidgetItem *frame = m_tree->FindNode(u"A"_s);
    frame->setExpanded(true);
    QCOMPARE(childKeys(u"A"_s), QStringList{u"A0"_s});
    frame->setExpanded(false);
    QCOMPARE(childKeys(u"A"_s), QStringList{u"XXXXDummyXXXXA"_s});
    QCOMPARE(Cls_MyTree::NodeImage(frame), 1);
    // Children come back from the owner's data on the next expand, without a dummy.
    frame->setExpanded(true);
    QCOMPARE(childKeys(u"A"_s), QStringList{u"A0"_s});

    // Children loaded into a branch the view shows collapsed go the same way.
    QVERIFY(m_tree->AddRootNode(u"B"_s, u"B"_s, QString()));
    QTreeWidgetItem *other = m_tree->FindNode(u"B"_s);
    QVERIFY(m_tree->AddChild(u"B"_s, u"b"_s, u"B0"_s, {}));
    QVERIFY(m_tree->RemoveDummyNode(other));
    QCOMPARE(childKeys(u"B"_s), QStringList{u"B0"_s});
    QVERIFY(m_tree->CollapseNode(other));
    QCOMPARE(childKeys(u"B"_s), QStringList{u"XXXXDummyXXXXB"_s});
    QVERIFY(!m_tree->CollapseNode(m_tree->FindNode(u"A0"_s)));
}

void tst_MyTree::moves_data()
{
    QTest::addColumn<bool>("children");
    QTest::addColumn<QString>("select");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("expected");

    for (const bool children : {false, true}) {
        const QByteArray level = children ? "item " : "frame ";
        QTest::newRow(level + "first up") << children << u"A"_s << true << false << u"A B C"_s;
        QTest::newRow(level + "middle up") << children << u"B"_s << true << true << u"B A C"_s;
        QTest::newRow(level + "last up") << children << u"C"_s << true << true << u"A C B"_s;
        QTest::newRow(level + "first down") << children << u"A"_s << false << true << u"B A C"_s;
        QTest::newRow(level + "middle down") << children << u"B"_s << false << true << u"A C B"_s;
        QTest::newRow(level + "last down") << children << u"C"_s << false << false << u"A B C"_s;
    }
    QTest::newRow("frame middle up of four") << false << u"C"_s << true << true << u"A C B D"_s;
    QTest::newRow("frame middle down of four") << false << u"B"_s << false << true << u"A C B D"_s;
}

void tst_MyTree::moves()
{
    QFETCH(bool, children);
    QFETCH(QString, select);
    QFETCH(bool, up);
    QFETCH(bool, result);
    QFETCH(QString, expected);

    const QStringList keys = QString::fromLatin1(QTest::currentDataTag()).contains("four")
                                 ? QStringList{"A", "B", "C", "D"}
                                 : QStringList{"A", "B", "C"};
    if (children) {
        addFrames({u"F"_s});
        QTreeWidgetItem *frame = m_tree->FindNode(u"F"_s);
        frame->setExpanded(true);
        for (const QString &key : keys)
            QVERIFY(m_tree->AddChild(u"F"_s, key, key, key + u"-tag"_s));
    } else {
        addFrames(keys);
    }
    QVERIFY(m_tree->SelectNode(select));

    const bool moved = children
                           ? (up ? m_tree->MoveNodePrevious() : m_tree->MoveNodeNext())
                           : (up ? m_tree->MoveRootNodePrevious() : m_tree->MoveRootNodeNext());
    QCOMPARE(moved, result);
    const QStringList order = children ? childKeys(u"F"_s) : topKeys();
    QCOMPARE(order.join(u' '), expected);
    QCOMPARE(Cls_MyTree::NodeKey(m_tree->SelectedNode()), select);
    QVERIFY(m_recorder->isEmpty());
    for (const QString &key : keys) {
        const QTreeWidgetItem *node = m_tree->FindNode(key);
        QCOMPARE(Cls_MyTree::NodeTag(node), key + u"-tag"_s);
        QCOMPARE(m_tree->IsChild(node), children);
    }
}

void tst_MyTree::movedFrameComesBackCollapsed()
{
    addFrames({u"A"_s, u"B"_s, u"C"_s});
    connect(m_tree.get(), &Cls_MyTree::NodeExpanded, this, [&](QTreeWidgetItem *node) {
        const QString key = Cls_MyTree::NodeKey(node);
        QVERIFY(m_tree->AddChild(key, u"item"_s, key + u"0"_s, QString()));
    });
    m_tree->FindNode(u"A"_s)->setExpanded(true);
    QVERIFY(m_tree->SelectNode(u"B"_s));
    QVERIFY(m_tree->MoveRootNodePrevious());
    const QTreeWidgetItem *a = m_tree->FindNode(u"A"_s);
    QVERIFY(!a->isExpanded());
    QCOMPARE(Cls_MyTree::NodeImage(a), 1);
    QCOMPARE(childKeys(u"A"_s), QStringList{u"XXXXDummyXXXXA"_s});
    QCOMPARE(a->text(0), u"A title"_s);
}

void tst_MyTree::moveRootRefusesChild()
{
    addFrames({u"F"_s});
    QVERIFY(m_tree->AddChild(u"F"_s, u"a"_s, u"a"_s, {}));
    QVERIFY(m_tree->AddChild(u"F"_s, u"b"_s, u"b"_s, {}));
    QVERIFY(m_tree->SelectNode(u"b"_s));
    QVERIFY(!m_tree->MoveRootNodePrevious());
    QCOMPARE(childKeys(u"F"_s).join(u' '), u"XXXXDummyXXXXF a b"_s);

    m_widget->clearSelection();
    QVERIFY(!m_tree->MoveNodePrevious());
    QCOMPARE(m_recorder->count(), 1);
    QCOMPARE(m_recorder->at(0).title, kNoSelectionTitle);
}

void tst_MyTree::removeSelected_data()
{
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("removed");

    QTest::newRow("confirmed") << false << int(MsgBox::Ok) << true;
    QTest::newRow("cancelled") << false << int(MsgBox::Cancel) << false;
    QTest::newRow("quiet") << true << int(MsgBox::Cancel) << true;
}

void tst_MyTree::removeSelected()
{
    QFETCH(bool, quiet);
    QFETCH(int, answer);
    QFETCH(bool, removed);

    addFrames({u"A"_s, u"B"_s});
    QVERIFY(m_tree->AddNode(u"B"_s, u"sub"_s, u"S"_s, {}));
    QVERIFY(m_tree->SelectNode(u"B"_s));
    m_recorder->setDefaultAnswer(answer);

    QCOMPARE(m_tree->RemoveNode_Selected(quiet), removed);
    QCOMPARE(m_tree->FindNode(u"B"_s) == nullptr, removed);
    QCOMPARE(m_tree->FindNode(u"S"_s) == nullptr, removed);
    QVERIFY(m_tree->FindNode(u"A"_s) != nullptr);
    if (quiet) {
        QVERIFY(m_recorder->isEmpty());
    } else {
        QCOMPARE(m_recorder->count(), 1);
        QCOMPARE(m_recorder->at(0).prompt, kRemovePrompt);
        QCOMPARE(m_recorder->at(0).title, kRemoveTitle);
        QCOMPARE(m_recorder->at(0).style, MsgBox::Question | MsgBox::OkCancel);
    }
}

void tst_MyTree::selectionChecks_data()
{
    QTest::addColumn<QString>("select");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<bool>("isSelected");
    QTest::addColumn<bool>("isBranch");
    QTest::addColumn<QString>("message");

    QTest::newRow("nothing") << QString() << false << false << false << kNoSelectionTitle;
    QTest::newRow("nothing quiet") << QString() << true << false << false << QString();
    QTest::newRow("leaf") << u"I"_s << false << true << false << kLeafTitle;
    QTest::newRow("leaf quiet") << u"I"_s << true << true << false << QString();
    QTest::newRow("branch") << u"F"_s << false << true << true << QString();
}

void tst_MyTree::selectionChecks()
{
    QFETCH(QString, select);
    QFETCH(bool, quiet);
    QFETCH(bool, isSelected);
    QFETCH(bool, isBranch);
    QFETCH(QString, message);

    addFrames({u"F"_s});
    QVERIFY(m_tree->AddChild(u"F"_s, u"item"_s, u"I"_s, {}));
    if (!select.isEmpty())
        QVERIFY(m_tree->SelectNode(select));

    QCOMPARE(m_tree->IsNodeSelect(true), isSelected);
    QVERIFY(m_recorder->isEmpty());
    QCOMPARE(m_tree->CheckSelected_isChild(quiet), isBranch);
    if (message.isEmpty()) {
        QVERIFY(m_recorder->isEmpty());
    } else {
        QCOMPARE(m_recorder->count(), 1);
        QCOMPARE(m_recorder->at(0).title, message);
        QCOMPARE(m_recorder->at(0).prompt,
                 message == kLeafTitle ? kLeafPrompt : kNoSelectionPrompt);
        QCOMPARE(m_recorder->at(0).style, MsgBox::Exclamation | MsgBox::OkOnly);
    }

    // The commands that need a selection report in the same way.
    m_recorder->clear();
    const bool added = m_tree->AddChild_Selected(u"new"_s, u"N"_s, {});
    QCOMPARE(added, isSelected);
    QCOMPARE(m_recorder->count(), isSelected ? 0 : 1);
    QTreeWidgetItem *node = nullptr;
    QCOMPARE(m_tree->GetSelectedNode(node), isSelected);
    QCOMPARE(node != nullptr, isSelected);
}

void tst_MyTree::persistenceRoundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    m_tree->SaveFilePath_Prop(dir.path());
    m_tree->ControlWithSave_Prop(true);
    const QString frameTag = u"<Title>枠</Title>\r\n<LineCount>2</LineCount>\r\n"_s;
    QVERIFY(m_tree->AddRootNode(u"枠"_s, QString(), frameTag));
    const QString frameKey = u"LV1_IDX0_枠"_s;
    QVERIFY(m_tree->AddChild(frameKey, u"項目"_s, u"K1"_s, u"<Name>項目</Name>"_s));
    QVERIFY(QFile::exists(dir.filePath(u"枠.xml"_s)));
    QVERIFY(QFile::exists(dir.filePath(u"枠/項目.xml"_s)));

    QStringList values;
    QVERIFY(m_tree->LoadNode(u"枠/項目.xml"_s, values));
    QCOMPARE(values.mid(0, 4), QStringList({u"K1"_s, u"項目"_s, u"<Name>項目</Name>"_s, frameKey}));
    QVERIFY(!m_tree->LoadNode(u"missing.xml"_s, values));
    QVERIFY(values.isEmpty());

    QTreeWidget otherWidget;
    Cls_MyTree other;
    other.Set_Init(&otherWidget);
    other.ControlWithSave_Prop(false);
    other.SaveFilePath_Prop(dir.path());
    QVERIFY(other.LoadRootNodes());
    QCOMPARE(otherWidget.topLevelItemCount(), 1);
    QTreeWidgetItem *frame = other.FindNode(frameKey);
    QVERIFY(frame != nullptr);
    QCOMPARE(Cls_MyTree::NodeTag(frame), frameTag);
    QVERIFY(!other.IsChild(frame));
    QCOMPARE(other.SettingValue_Prop(), 1);
    QVERIFY(other.LoadChildNodes(frame));
    QCOMPARE(frame->childCount(), 1);
    QCOMPARE(Cls_MyTree::NodeKey(frame->child(0)), u"K1"_s);
    QVERIFY(other.IsChild(frame->child(0)));
}

void tst_MyTree::persistenceRefusesUnsafeNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("message");

    QTest::newRow("empty name") << QString() << QString() << true;
    QTest::newRow("parent folder") << u".."_s << QString() << false;
    QTest::newRow("path") << u"../escape"_s << QString() << false;
    QTest::newRow("tag that cannot read back") << u"ok"_s << u"a</TAG>b"_s << false;
    QTest::newRow("lone CR") << u"ok"_s << u"a\rb"_s << false;
}

void tst_MyTree::persistenceRefusesUnsafeNames()
{
    QFETCH(QString, text);
    QFETCH(QString, tag);
    QFETCH(bool, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.filePath(u"save"_s);
    QVERIFY(QDir().mkpath(root));
    m_tree->SaveFilePath_Prop(root);
    QVERIFY(m_tree->AddRootNode(text, u"K"_s, tag));
    QVERIFY(!m_tree->SaveNode(m_tree->FindNode(u"K"_s)));
    QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{u"save"_s});
    QCOMPARE(m_recorder->count(), message ? 1 : 0);
    if (message) {
        QCOMPARE(m_recorder->at(0).prompt, u"ファイル名が設定されてません。"_s);
        QCOMPARE(m_recorder->at(0).title, u"設定ミス"_s);
    }
}

QTEST_MAIN(tst_MyTree)
#include "tst_mytree.moc"
